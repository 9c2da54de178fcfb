// A library that loads like the browser module but lacks its entry point.
extern "C" int DhSomethingElse() { return 0; }
