// Differential fuzz target: every input is read twice, once through the
// library's reference reading alone and once with its accelerators (the
// library's internal run-time switch, util/AccelerateInternal.h), and the
// run ends with a trap on any difference a host can see: the return codes
// of Initialize and Read, the line reached, the error log (file, line and
// reason), the package, every port node with its cells, every cell with
// all its fields, the image, the instructions, the registers, the
// differential pairs, and the results of driving every port after the
// read. Built against a static copy of the library, as the switch is not
// exported.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "parser/BScanParser.h"
#include "util/AccelerateInternal.h"

#ifndef BSCAN_MESSAGE_DIR
#define BSCAN_MESSAGE_DIR "data"
#endif

namespace {

std::string g_path;  // this process's input file

bool WriteInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    std::fclose(f);
    return ok;
}

// Appends values and texts to one dump; a null text is told from an empty
// one.
class Dump {
public:
    Dump& operator<<(long long value)
    {
        m_text += std::to_string(value);
        m_text += ' ';
        return *this;
    }
    Dump& operator<<(const char* text)
    {
        if (text == nullptr) {
            m_text += "(null) ";
        } else {
            m_text += '"';
            m_text += text;
            m_text += "\" ";
        }
        return *this;
    }
    void Line() { m_text += '\n'; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

int PositionOf(const KBScanCell* cell)
{
    return cell != nullptr ? cell->GetBoundaryCellPosition() : -2;
}

void DumpCell(Dump& out, const KBScanCell& cell)
{
    const KPinNode* node = cell.GetPinNode();
    out << cell.GetBoundaryCellPosition() << static_cast<long long>(cell.GetBScanCellType())
        << static_cast<long long>(cell.GetFunction()) << static_cast<long long>(cell.m_safeValue)
        << static_cast<long long>(cell.m_disableValue)
        << static_cast<long long>(cell.m_disableResult) << static_cast<long long>(cell.m_value)
        << PositionOf(cell.GetControlCell()) << cell.GetPinName() << cell.GetOriginalPinName()
        << (node != nullptr ? node->GetPortName() : "(no port)")
        << (node != nullptr ? node->GetPinNumber() : -2);
}

void DumpNode(Dump& out, const KPinNode& node)
{
    out << node.GetPortName() << node.GetPinName() << node.GetPinNumber()
        << node.GetVectorIndex() << static_cast<long long>(node.GetPortType())
        << static_cast<long long>(node.GetPortValue()) << node.IsPositive() << node.IsNegative();
    const KObjList* cells = node.GetBScanCells();
    for (int i = 0; cells != nullptr && i < cells->GetCount(); ++i)
        out << PositionOf(static_cast<const KBScanCell*>(cells->GetAt(i)));
    out.Line();
}

void DumpImage(Dump& out, BScanPinMap& map)
{
    const unsigned char* image = map.GetBScanBitArray();
    const int length = map.GetBScanLength();
    out << "image" << length;
    for (int i = 0; image != nullptr && i < (length + 7) / 8; ++i)
        out << image[i];
    out.Line();
}

void DumpPinMap(Dump& out, BScanPinMap& map)
{
    const KObjList* nodes = map.GetPinListArray();
    const int count = nodes != nullptr ? nodes->GetCount() : 0;
    out << "nodes" << count << map.GetNumberOfPins();
    out.Line();
    for (int i = 0; i < count; ++i)
        DumpNode(out, *static_cast<const KPinNode*>(nodes->GetAt(i)));
    const KBScanCell* table = map.GetBScanCellTable();
    for (int i = 0; table != nullptr && i < map.GetBScanLength(); ++i) {
        DumpCell(out, table[i]);
        out.Line();
    }
    DumpImage(out, map);
    // Every port driven as the oracle drives it, with the image after each.
    for (int i = 0; i < count; ++i) {
        const int pin = static_cast<const KPinNode*>(nodes->GetAt(i))->GetPinNumber();
        out << map.setPort(pin, PORT_IN, SIGNAL_HIGH) << map.setPort(pin, PORT_OUT, SIGNAL_LOW)
            << map.setPort(pin, PORT_OUT, SIGNAL_HIGH, true);
        DumpImage(out, map);
    }
}

void DumpDescriptions(Dump& out, BScanParser& parser)
{
    if (const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription()) {
        out << "instructions" << ir->GetInstructionLength() << ir->GetInstructionCapture();
        for (int i = 0; i < ir->GetInstructionOpcodeCount(); ++i) {
            const CInstrOpcode* op = ir->GetInstructionOpcode(i);
            out << op->GetInstruction();
            for (int k = 0; k < op->GetOpcodeCount(); ++k)
                out << op->GetOpcode(k);
        }
        out.Line();
    }
    if (const CRegisterAccessDesc* ra = parser.GetRegisterAccessDescription()) {
        out << "registers";
        for (int i = 0; i < ra->GetRegisterCount(); ++i) {
            const CRegister* reg = ra->GetRegister(i);
            out << reg->GetRegisterName();
            for (int k = 0; k < reg->GetRegisterAssociationCount(); ++k)
                out << reg->GetRegisterAssocName(k);
        }
        out.Line();
    }
    out << "pairs" << parser.GetDifferentialPairCount();
    for (int i = 0; i < parser.GetDifferentialPairCount(); ++i) {
        const CDifferentialPair* pair = parser.GetDifferentialPair(i);
        out << pair->GetPositiveElement() << pair->GetNegativeElement()
            << pair->GetPositiveBScanPosition() << pair->GetNegativeBScanPosition();
    }
    out.Line();
    out << "package" << parser.GetPackageType() << "component" << parser.GetComponentName();
    out.Line();
    if (ErrorHandler* handler = parser.GetErrorHandler()) {
        for (int i = 0; i < handler->GetErrorCount(); ++i) {
            out << handler->GetError(i);
            out.Line();
        }
    }
}

// One whole read of the input with the accelerators on or off, as a host
// sees it.
std::string ReadAndDump(bool accelerate)
{
    bscan_accelerate::Set(accelerate);
    Dump out;
    {
        BScanParser parser;
        const int init = parser.Initialize(g_path.c_str(), BSCAN_MESSAGE_DIR);
        const int read = init >= 0 ? parser.Read() : 0;
        out << "init" << init << "read" << read << "line" << parser.GetLineNumber();
        out.Line();
        DumpDescriptions(out, parser);
        if (BScanPinMap* map = parser.GetPinMap())
            DumpPinMap(out, *map);
        parser.CloseFile();
    }
    return out.Text();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    g_path = dir + "/bscan_fuzz_differential_" + std::to_string(getpid()) + ".bsdl";
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteInput(data, size))
        return 0;
    const std::string reference = ReadAndDump(false);
    const std::string accelerated = ReadAndDump(true);
    if (reference != accelerated) {
        // The first line that differs, for the report.
        size_t at = 0;
        while (at < reference.size() && at < accelerated.size() && reference[at] == accelerated[at])
            ++at;
        const size_t line = reference.rfind('\n', at);
        const size_t from = line == std::string::npos ? 0 : line + 1;
        std::fprintf(stderr, "reference:   %.300s\naccelerated: %.300s\n",
                     reference.c_str() + from, accelerated.c_str() + from);
        __builtin_trap();
    }
    return 0;
}
