// fixrd-worker: reads documents for a program that isolates the reader in a
// process of its own (xpstext --isolate, the C API's fixrd_library_isolate).
// Not for people: it speaks a private protocol on standard input and output.
#include "IsolatedExtractor.h"

int main() { return fixrd::runExtractionWorker(); }
