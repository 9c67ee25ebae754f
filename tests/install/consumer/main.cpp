// Reads the BSDL file named on the command line with the installed library
// and checks what the model says about it.
#include <cstdio>
#include <cstring>

#include "parser/BScanParser.h"

#ifndef BSCAN_MESSAGE_DIR
#  define BSCAN_MESSAGE_DIR nullptr
#endif

static int Fail(const char* what)
{
    std::fprintf(stderr, "consumer: %s\n", what);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail("usage: consumer FILE.bsdl [MESSAGE_DIR]");
    const char* messageDir = argc > 2 ? argv[2] : BSCAN_MESSAGE_DIR;

    BScanParser parser;
    int loaded = parser.Initialize(argv[1], messageDir);
    if (loaded <= 0)
        return Fail("Initialize did not load the message file");
    int result = parser.Read();
    if (result != BSDL_OK) {
        std::fprintf(stderr, "consumer: Read gave %s\n", BScanReturnCodeName(result));
        return 1;
    }
    if (!parser.GetComponentName() || std::strcmp(parser.GetComponentName(), "HOSTDEV") != 0)
        return Fail("wrong entity name");
    BScanPinMap* pins = parser.GetPinMap();
    if (!pins || pins->GetNumberOfPins() != 3)
        return Fail("wrong number of ports");
    const char* port = pins->GetPortName(2);
    if (!port || std::strcmp(port, "RESET_N") != 0)
        return Fail("pin 2 is not RESET_N");
    if (pins->GetPortType(2) != PORT_IN)
        return Fail("RESET_N is not an input");
    parser.CloseFile();
    std::printf("consumer: %s read, %d ports, %d messages\n", parser.GetComponentName(),
                pins->GetNumberOfPins(), loaded);
    return 0;
}
