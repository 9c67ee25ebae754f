// Drives every port of a device after one read and prints what each step
// did, for the behaviour oracle:
//
//     drive_all FILE [MESSAGE_DIR]
//
// For every port node in list order (by its pin number): setPort as input
// high, as output low, as output high, and the marking form; per step the
// return code and a hash of the values and image bits of the port's cells
// and their control cells.
#include <cstdint>
#include <cstdio>

#include "parser/BScanParser.h"

namespace {

std::uint64_t Hash(std::uint64_t h, std::uint64_t v)
{
    return (h ^ v) * 1099511628211ull;
}

// The values and image bits of the node's cells and of their control
// cells: everything driving the node can change.
std::uint64_t State(BScanPinMap& map, const KPinNode& node)
{
    std::uint64_t h = 14695981039346656037ull;
    const unsigned char* image = map.GetBScanBitArray();
    const int length = map.GetBScanLength();
    auto add = [&](const KBScanCell* cell) {
        if (!cell)
            return Hash(h, 7);
        const int n = cell->GetBoundaryCellPosition();
        h = Hash(h, static_cast<std::uint64_t>(n));
        h = Hash(h, static_cast<std::uint64_t>(cell->m_value));
        if (image && n >= 0 && n < length)
            h = Hash(h, (image[n / 8] >> (7 - n % 8)) & 1u);
        return h;
    };
    const KObjList* cells = node.GetBScanCells();
    for (int i = 0; cells && i < cells->GetCount(); ++i) {
        const KBScanCell* cell = static_cast<const KBScanCell*>(cells->GetAt(i));
        h = add(cell);
        h = add(cell ? cell->GetControlCell() : nullptr);
    }
    return h;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    BScanParser parser;
    parser.Initialize(argv[1], argc > 2 ? argv[2] : "");
    if (parser.Read() < 0 || !parser.GetPinMap())
        return 0;
    BScanPinMap& map = *parser.GetPinMap();
    const KObjList* list = map.GetPinListArray();
    for (int i = 0; list && i < list->GetCount(); ++i) {
        const KPinNode* node = static_cast<const KPinNode*>(list->GetAt(i));
        const int pin = node->GetPinNumber();
        const int a = map.setPort(pin, PORT_IN, SIGNAL_HIGH);
        const std::uint64_t sa = State(map, *node);
        const int b = map.setPort(pin, PORT_OUT, SIGNAL_LOW);
        const int c = map.setPort(pin, PORT_OUT, SIGNAL_HIGH);
        const std::uint64_t sc = State(map, *node);
        const int d = map.setPort(pin, PORT_OUT, SIGNAL_LOW, true);
        std::printf("%d %d %016llx %d %d %016llx %d %016llx\n", i, a, (unsigned long long)sa, b, c,
                    (unsigned long long)sc, d, (unsigned long long)State(map, *node));
    }
    return 0;
}
