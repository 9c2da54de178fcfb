#!/usr/bin/env bash
# Re-makes every sound cue in sounds/ from espeak-ng speech and sox effects.
# Developers run it by hand after changing a cue; the build only copies the
# committed wave files. Output: 16-bit PCM mono WAV at 22050 Hz.
#
# Every cue is played to its end before the game goes on, so keep them short:
# their lengths set the pace of a whole game.
set -euo pipefail

for tool in espeak-ng sox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "make_sounds.sh: '$tool' is not installed; it is needed to make the sounds" >&2
    exit 1
  fi
done

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/sounds"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

# -R: sox's noise generators and dither repeat exactly, so a re-run gives the
# same files and leaves git quiet. -V2 keeps clipping warnings visible.
export SOX_OPTS="-R -V2"
RATE=22050
FMT=(-r "$RATE" -c 1 -b 16 -e signed-integer)

VOICE="en-us+m3"  # a firm male voice
SPEED=178         # words per minute
PITCH=35

# --- building blocks -------------------------------------------------------

# gen FILE LENGTH EFFECTS...: synthesise into a work file.
gen() {
  local file="$1" len="$2"
  shift 2
  sox -n "${FMT[@]}" "$tmp/$file" synth "$len" "$@"
}

# mix OUT IN... : sum the inputs into a work file (sox scales each by 1/n,
# so the sum cannot clip; levels are set again when the cue is finished).
mix() {
  local dst="$1"
  shift
  local args=()
  for f in "$@"; do args+=("$tmp/$f"); done
  sox -m "${args[@]}" "${FMT[@]}" "$tmp/$dst"
}

# delay FILE SECONDS: put silence in front of a work file.
delay() {
  sox "$tmp/$1" "$tmp/$1.d.wav" pad "$2" 0
  mv "$tmp/$1.d.wav" "$tmp/$1"
}

# chain OUT IN...: play the inputs one after another.
chain() {
  local dst="$1"
  shift
  local args=()
  for f in "$@"; do args+=("$tmp/$f"); done
  sox "${args[@]}" "${FMT[@]}" "$tmp/$dst"
}

# finish NAME IN [EFFECTS...]: write sounds/NAME.wav, peak at -3 dBFS, with
# short fades so no cue starts or ends with a click.
finish() {
  local name="$1" src="$2"
  shift 2
  sox "$tmp/$src" "${FMT[@]}" "$out/$name.wav" "$@" norm -3 fade t 0.004 reverse fade t 0.02 reverse
}

# speak FILE TEXT: raw speech, trimmed of leading and trailing silence.
speak() {
  local file="$1" text="$2"
  espeak-ng -v "$VOICE" -s "$SPEED" -p "$PITCH" -a 160 -w "$tmp/$file.raw.wav" "$text"
  sox "$tmp/$file.raw.wav" "${FMT[@]}" "$tmp/$file" \
    silence 1 0.003 0.1% reverse silence 1 0.003 0.1% reverse
}

# Field radio: a narrow band, a little grit and a breath of static.
RADIO=(gain -6 highpass 300 highpass 300 lowpass 3400 lowpass 3400 overdrive 6 12)

# radio NAME TEXT: a spoken cue over the radio.
radio() {
  local name="$1" text="$2"
  speak "$name.s.wav" "$text"
  local len
  len="$(soxi -D "$tmp/$name.s.wav")"
  gen "$name.n.wav" "$len" whitenoise vol 0.015 highpass 300 lowpass 3400
  mix "$name.m.wav" "$name.s.wav" "$name.n.wav"
  finish "$name" "$name.m.wav" "${RADIO[@]}" pad 0 0.03
}

# boom FILE LENGTH BODY_HZ: one explosion: a sharp crack, a deep body and a
# falling thump, all dying away fast and trailing off.
boom() {
  local file="$1" len="$2" body="$3"
  gen "$file.crack.wav" 0.18 whitenoise gain -6 highpass 900 fade l 0 0.18 0.17 norm -6
  gen "$file.body.wav" "$len" brownnoise lowpass "$body" lowpass "$body" fade l 0.004 "$len" "$len" norm -1
  gen "$file.thump.wav" 0.45 sine 90/28 fade l 0.003 0.45 0.42 norm -3
  mix "$file.m.wav" "$file.crack.wav" "$file.body.wav" "$file.thump.wav"
  sox "$tmp/$file.m.wav" "$tmp/$file" overdrive 12 8 norm -1
}

# --- effects ---------------------------------------------------------------

make_silence() {
  sox -n "${FMT[@]}" "$out/Silence.wav" trim 0 0.1
}

make_tankmove() {
  # Diesel rumble with its firing beat, plus the clatter of track links.
  gen tm.engine.wav 0.6 sawtooth 44 lowpass 220 tremolo 23 60
  gen tm.roar.wav 0.6 brownnoise gain -6 lowpass 400 tremolo 11 40
  gen tm.links.wav 0.6 whitenoise gain -8 highpass 1800 synth 0.6 square amod 13 0 0 12 vol 0.6
  gen tm.squeal.wav 0.6 sine 1150-1020 tremolo 7 80 vol 0.05
  mix tm.m.wav tm.engine.wav tm.roar.wav tm.links.wav tm.squeal.wav
  finish TankMove tm.m.wav fade q 0.08 0.6 0.15
}

make_fire() {
  # Our battery firing: a deep, slightly distant gun report.
  boom fire.b.wav 0.75 260
  finish Fire fire.b.wav gain -6 lowpass 2500 pad 0 0.1 reverb 35 60 60
}

make_tankfires() {
  # A tank gun at close range: hard crack, then the echo off the hills.
  boom tf.b.wav 0.6 500
  gen tf.ring.wav 0.3 sine 190 fade l 0 0.3 0.29 vol 0.15
  mix tf.m.wav tf.b.wav tf.ring.wav
  sox "$tmp/tf.m.wav" "$tmp/tf.wet.wav" lowpass 900 lowpass 900 pad 0 0.6 reverb -w 70 50 100 norm -4
  delay tf.wet.wav 0.2
  mix tf.e.wav tf.m.wav tf.wet.wav
  finish TankFires tf.e.wav gain -6 lowpass 6000
}

make_rocket() {
  # The whoosh of an anti-tank rocket, rising as it closes, then the hit.
  gen rk.air.wav 0.55 pinknoise bandpass 900 600h fade q 0.35 0.55 0.02
  sox "$tmp/rk.air.wav" "$tmp/rk.rise.wav" bend 0,900,0.5
  gen rk.motor.wav 0.55 sawtooth 160-240 lowpass 900 fade q 0.3 0.55 0.02 vol 0.25
  mix rk.whoosh.wav rk.rise.wav rk.motor.wav
  boom rk.hit.wav 0.7 420
  delay rk.hit.wav 0.5
  mix rk.m.wav rk.whoosh.wav rk.hit.wav
  finish ROCKET rk.m.wav gain -6 pad 0 0.1 reverb 25 50 50
}

make_mines() {
  # The click of the fuse under a track, then a heavy blast and falling dirt.
  gen mn.click.wav 0.025 square 2600 fade l 0 0.025 0.02 vol 0.5
  boom mn.boom.wav 1.0 180
  delay mn.boom.wav 0.12
  gen mn.dirt.wav 0.7 pinknoise gain -6 highpass 1500 fade h 0.3 0.7 0.4 vol 0.2
  delay mn.dirt.wav 0.3
  mix mn.m.wav mn.click.wav mn.boom.wav mn.dirt.wav
  finish MINES mn.m.wav gain -6 pad 0 0.1 reverb 30 50 70
}

make_artillery() {
  # The shells landing: a heavy impact and a second, farther one.
  boom ar.a.wav 0.9 220
  boom ar.b.wav 0.6 300
  sox "$tmp/ar.b.wav" "$tmp/ar.b2.wav" vol 0.45 lowpass 1500
  mv "$tmp/ar.b2.wav" "$tmp/ar.b.wav"
  delay ar.b.wav 0.32
  mix ar.m.wav ar.a.wav ar.b.wav
  finish Artillery ar.m.wav gain -6 pad 0 0.1 reverb 40 50 80
}

# incoming N LENGTH FROM TO VIBRATO_HZ AIR: a falling shell's whistle, pitch
# dropping and growing louder as it comes in; the Artillery cue follows it.
incoming() {
  local n="$1" len="$2" from="$3" to="$4" vib="$5" air="$6"
  local name="Incoming$n"
  gen "$name.w.wav" "$len" sine "$from/$to" tremolo "$vib" 25
  gen "$name.h.wav" "$len" sine "$((from * 2))/$((to * 2))" vol 0.08
  gen "$name.a.wav" "$len" pinknoise bandpass "$((to + 300))" 900h vol "$air"
  mix "$name.m.wav" "$name.w.wav" "$name.h.wav" "$name.a.wav"
  finish "$name" "$name.m.wav" fade l "$(awk -v l="$len" 'BEGIN { print l * 0.8 }')" -0 0.03
}

make_incoming() {
  incoming 1 0.70 1900 1000 9 0.25
  incoming 2 0.80 1500 700 6 0.3
  incoming 3 0.90 2300 900 14 0.2
  incoming 4 0.60 1700 1150 11 0.2
  incoming 5 1.00 1300 480 5 0.45
  incoming 6 0.75 2100 820 8 0.3
}

make_cant() {
  # Refused orders: quick buzzers that never hold the player up.
  gen c1.a.wav 0.11 square 150 gain -6 lowpass 1800
  sox -n "${FMT[@]}" "$tmp/c1.gap.wav" trim 0 0.05
  chain c1.m.wav c1.a.wav c1.gap.wav c1.a.wav
  finish cant1 c1.m.wav
  gen c2.m.wav 0.28 sawtooth 230-130 gain -6 lowpass 2200 tremolo 28 40
  finish cant2 c2.m.wav fade t 0 -0 0.06
}

make_start() {
  # A short bugle call, then the order.
  local i=0 note len
  local parts=()
  for tone in 523:0.13 659:0.13 784:0.13 1047:0.42; do
    note="${tone%%:*}"
    len="${tone##*:}"
    gen "st.n$i.a.wav" "$len" sawtooth "$note" vol 0.5
    gen "st.n$i.b.wav" "$len" square "$note" vol 0.25
    mix "st.n$i.m.wav" "st.n$i.a.wav" "st.n$i.b.wav"
    sox "$tmp/st.n$i.m.wav" "$tmp/st.n$i.wav" lowpass 2600 tremolo 6 12 fade q 0.015 -0 0.04
    parts+=("st.n$i.wav")
    i=$((i + 1))
  done
  chain st.bugle.wav "${parts[@]}"
  sox "$tmp/st.bugle.wav" "$tmp/st.bugle.r.wav" reverb 40 50 60 pad 0 0.08 norm -4
  speak st.v.wav "Start!"
  sox "$tmp/st.v.wav" "$tmp/st.v.r.wav" highpass 120 norm -3
  chain st.m.wav st.bugle.r.wav st.v.r.wav
  finish start st.m.wav reverb 20 50 40 pad 0 0.05
}

# --- speech ----------------------------------------------------------------

make_speech() {
  radio three "three"
  radio two "two"
  radio rounds "rounds"
  radio left "left"
  radio up "up"
  radio out "out"
  radio LastRound "Last round"
  radio OnTheWay "On the way"
  radio MovinOut "Moving out"
  radio Target "Target"
  radio DirectFront "Direct front"
  radio DirectRear "Direct rear"
  radio RightFlank "Right flank"
  radio LeftFlank "Left flank"
  radio GoLeft "Go left"
  radio GoRight "Go right"
  radio ArtilleryonCall "Artillery on call"
  radio HullDown "Hull down"
  radio Destroyed "Target destroyed"
  radio committed "Committed"
}

make_directhit() {
  # Our unit is struck: the clang of the hit, then the call.
  boom dh.b.wav 0.45 600
  gen dh.clang.wav 0.35 sine 820 fade l 0 0.35 0.34 vol 0.3
  mix dh.hit.wav dh.b.wav dh.clang.wav
  sox "$tmp/dh.hit.wav" "$tmp/dh.hit2.wav" vol 0.7 trim 0 0.4
  speak dh.v.wav "Direct hit!"
  sox "$tmp/dh.v.wav" "$tmp/dh.v2.wav" "${RADIO[@]}" norm -2
  delay dh.v2.wav 0.18
  mix dh.m.wav dh.hit2.wav dh.v2.wav
  finish DirectHit dh.m.wav pad 0 0.03
}

make_report() {
  # Incoming message: a two-tone radio chirp, then the call.
  gen rp.a.wav 0.06 sine 1200 vol 0.4
  gen rp.b.wav 0.08 sine 1600 vol 0.4
  sox -n "${FMT[@]}" "$tmp/rp.gap.wav" trim 0 0.03
  sox -n "${FMT[@]}" "$tmp/rp.gap2.wav" trim 0 0.08
  speak rp.v.wav "Message"
  sox "$tmp/rp.v.wav" "$tmp/rp.v2.wav" "${RADIO[@]}" norm -3
  chain rp.m.wav rp.a.wav rp.gap.wav rp.b.wav rp.gap2.wav rp.v2.wav
  finish report rp.m.wav pad 0 0.03
}

# announce NAME TEXT: the end of the game, in a clear voice with some room.
announce() {
  local name="$1" text="$2"
  espeak-ng -v "$VOICE" -s 165 -p 30 -a 160 -w "$tmp/$name.raw.wav" "$text"
  sox "$tmp/$name.raw.wav" "${FMT[@]}" "$tmp/$name.s.wav" \
    silence 1 0.003 0.1% reverse silence 1 0.003 0.1% reverse
  finish "$name" "$name.s.wav" gain -6 highpass 100 pad 0 0.15 reverb 30 50 60
}

make_endings() {
  announce Won "Victory! The enemy is defeated."
  announce Lost "Defeat. Our forces are destroyed."
}

# --- go --------------------------------------------------------------------

make_silence
make_tankmove
make_fire
make_tankfires
make_rocket
make_mines
make_artillery
make_incoming
make_cant
make_start
make_speech
make_directhit
make_report
make_endings

rm -f "$out/.keep"
echo "make_sounds.sh: wrote $(find "$out" -name '*.wav' | wc -l) cues to $out"
