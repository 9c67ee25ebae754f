// One whole read of a BSDL file in one process (Initialize, Read, the
// parser's destruction), for counting instructions under callgrind:
//
//     read_once FILE [MESSAGE_DIR]
//
// Prints the return codes, so that a run that failed is not taken for a
// measurement.
#include <cstdio>

#include "parser/BScanParser.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: read_once FILE [MESSAGE_DIR]\n");
        return 2;
    }
    int init = 0, read = 0;
    {
        BScanParser parser;
        init = parser.Initialize(argv[1], argc > 2 ? argv[2] : "");
        read = parser.Read();
    }
    std::printf("%d %d\n", init, read);
    return read < 0 ? 1 : 0;
}
