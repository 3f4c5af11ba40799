// A library for the loading tests, placed in a program folder of its own.
extern "C" int brevanTestAnswer() { return 42; }
