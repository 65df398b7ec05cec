// The benchmarks' stand-in for shutdown.exe: a console program that ends at once with 0, so that
// a submit round trip measures the tool's part of it and the start of a process, nothing more.
int wmain() { return 0; }
