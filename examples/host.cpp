// A host program in a few lines: read a BSDL file, drive two pins and print
// the scan image that is ready to be shifted into the device.
//
//     bscan_example_host [FILE.bsdl [MESSAGE_DIR]]
//
// Without arguments it reads the example device and looks for ErrorList.txt
// in the build tree (both paths are compiled in).
#include <cstdio>

#include "parser/BScanParser.h"

#ifndef BSCAN_EXAMPLE_FILE
#define BSCAN_EXAMPLE_FILE "demo_device.bsdl"
#endif
#ifndef BSCAN_EXAMPLE_MESSAGE_DIR
#define BSCAN_EXAMPLE_MESSAGE_DIR ""
#endif

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : BSCAN_EXAMPLE_FILE;
    const char* messageDir = argc > 2 ? argv[2] : BSCAN_EXAMPLE_MESSAGE_DIR;

    BScanParser parser;
    int result = parser.Initialize(file, messageDir);
    if (result < 0 && !parser.GetErrorHandler()) {
        std::fprintf(stderr, "%s: cannot open (%s)\n", file, BScanReturnCodeName(result));
        return 1;
    }
    // A negative result after the error handler exists only means that the
    // message file was not found; the BSDL file is open, so read it anyway.
    result = parser.Read();
    if (result < 0) {
        std::fprintf(stderr, "%s:%lld: %s\n", file, parser.GetLineNumber(), BScanReturnCodeName(result));
        return 1;
    }

    BScanPinMap* pins = parser.GetPinMap();
    char led[] = "LED";
    char dq[] = "DQ";
    // Drive LED high as an output, and the first declared DQ element, DQ(7),
    // low as an output; setPort takes the port's pin number.
    if (pins->setPort(pins->GetPinNumberwPortName(led), PORT_OUT, SIGNAL_HIGH) < 0 ||
        pins->setPort(pins->GetPinNumberwPortName(dq), PORT_OUT, SIGNAL_LOW) < 0) {
        std::fprintf(stderr, "%s: the ports LED and DQ cannot be driven\n", file);
        return 1;
    }

    // Cell i is in byte i / 8 under the mask 0x80 >> (i % 8).
    const int length = pins->GetBScanLength();
    const unsigned char* image = pins->GetBScanBitArray();
    std::printf("%s: %d boundary cells\nimage:", parser.GetComponentName(), length);
    for (int i = 0; i < (length + 7) / 8; ++i)
        std::printf(" %02X", image[i]);
    std::printf("\n");
    return 0;
}
