// A field whose text goes out in one session message holds no more than one
// message carries, counted in bytes of UTF-8: what the player sees in it is
// what the other player gets.
#pragma once

#include <cstddef>

class QLineEdit;

// Typing past the limit does nothing; a paste is cut to fit, never in the
// middle of a character.
void LimitUtf8(QLineEdit* field, size_t maxBytes);
