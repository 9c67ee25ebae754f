// Whole-file fuzz target: the input is a BSDL file. It is read the way a
// host reads one (Initialize, Read), and the model that results is then
// used the way a host uses it: every port looked up by pin number and by
// name, driven in both setPort forms, every cell and description read,
// the parser, the pin map and the descriptions copied, everything
// destroyed. AddressSanitizer, UndefinedBehaviorSanitizer and the leak
// checker do the judging; the few invariants the image must keep are
// checked here and end the run with a trap when broken.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "parser/BScanParser.h"

#ifndef BSCAN_MESSAGE_DIR
#define BSCAN_MESSAGE_DIR "data"
#endif

namespace {

std::string g_path;  // this process's input file

// A cursor over the input bytes that hands out small choices (directions,
// values, flags) for the driving part; it starts over when used up.
class Choices {
public:
    Choices(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    unsigned Next() {
        if (m_size == 0) return 0;
        unsigned v = m_data[m_pos % m_size] ^ static_cast<unsigned>(m_pos >> 8);
        ++m_pos;
        return v;
    }
private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

volatile unsigned g_sink = 0;  // keeps the getters' results alive (unsigned: wraps)

// Adds values to the sink without any chance of signed overflow.
template <typename... T>
void Sink(T... values) {
    unsigned sum = 0;
    ((sum += static_cast<unsigned>(values)), ...);
    g_sink += sum;
}

void Touch(const char* text) {
    if (text) g_sink += static_cast<unsigned>(strlen(text));
}

bool WriteInput(const uint8_t* data, size_t size) {
    FILE* f = fopen(g_path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    fclose(f);
    return ok;
}

// The image holds (length + 7) / 8 bytes and its bits beyond the last cell
// are never set. `whole` reads every byte (AddressSanitizer then sees an
// image shorter than it should be); otherwise only the last byte is read.
void CheckImage(BScanPinMap* pm, bool whole = true) {
    int length = pm->GetBScanLength();
    unsigned char* image = pm->GetBScanBitArray();
    if (length <= 0 || !image) return;
    int bytes = (length + 7) / 8;
    if (whole) {
        for (int i = 0; i < bytes; ++i) g_sink += image[i];
    }
    int used = length % 8;
    if (used != 0) {
        unsigned char unusedMask = static_cast<unsigned char>(0xFF >> used);
        if (image[bytes - 1] & unusedMask) __builtin_trap();
    }
}

void ReadCell(const KBScanCell* cell) {
    if (!cell) return;
    Sink(cell->GetBoundaryCellPosition(), cell->GetBScanCellType(), cell->GetFunction());
    Sink(cell->m_safeValue, cell->m_disableValue, cell->m_disableResult, cell->m_value);
    Touch(cell->GetPinName());
    Touch(cell->GetOriginalPinName());
    const KPinNode* node = cell->GetPinNode();
    if (node) {
        Touch(node->GetPortName());
        Sink(node->GetVectorIndex());
    }
    const KBScanCell* control = cell->GetControlCell();
    if (control) Sink(control->GetBoundaryCellPosition());
}

void ExerciseCells(BScanPinMap* pm) {
    int length = pm->GetBScanLength();
    const KBScanCell* table = pm->GetBScanCellTable();
    if ((length > 0) != (table != nullptr)) __builtin_trap();
    if (pm->GetBScanCell(-1) || pm->GetBScanCell(length)) __builtin_trap();
    for (int i = 0; i < length; ++i) {
        KBScanCell* cell = pm->GetBScanCell(i);
        if (!cell) __builtin_trap();
        int pos = cell->GetBoundaryCellPosition();
        if (pos != -1 && (pos < 0 || pos >= length)) __builtin_trap();
        ReadCell(cell);
        // Lookups by the cell's own names (only for a few cells: each is a
        // search over the table in the worst case).
        if (i < 64) {
            std::string pinName = cell->GetPinName();
            std::string original = cell->GetOriginalPinName();
            ReadCell(pm->GetBScanCell(pinName.c_str()));
            ReadCell(pm->GetBScanCellByOriginalName(original.c_str()));
        }
    }
}

void ExercisePorts(BScanPinMap* pm, Choices& choices) {
    int count = pm->GetNumberOfPins();
    // Every node by name, with a writable copy of the name (the lookups
    // upper-case it in place), and by pin name.
    const KObjList* list = pm->GetPinListArray();
    int listCount = list ? list->GetCount() : 0;
    if (listCount != count) __builtin_trap();
    for (int i = 0; i < listCount; ++i) {
        KPinNode* node = static_cast<KPinNode*>(list->GetAt(i));
        if (!node) __builtin_trap();
        Sink(node->GetPinNumber(), node->GetVectorIndex(), node->GetPortType(),
             node->GetPortValue(), node->IsPositive(), node->IsNegative());
        const KObjList* cells = node->GetBScanCells();
        if (cells) {
            for (int c = 0; c < cells->GetCount(); ++c)
                ReadCell(static_cast<const KBScanCell*>(cells->GetAt(c)));
        }
        if (node->GetPortName()) {
            std::vector<char> name(node->GetPortName(),
                                   node->GetPortName() + strlen(node->GetPortName()) + 1);
            g_sink += pm->GetPortwName(name.data()) != nullptr;
            g_sink += pm->GetPort(name.data(), node->GetVectorIndex()) != nullptr;
            Sink(pm->GetPinNumberwPortName(name.data()), pm->GetPinIndexwPortName(name.data()));
        }
        if (node->GetPinName()) {
            std::string pin = node->GetPinName();
            g_sink += pm->GetPort(pin.c_str()) != nullptr;
            Sink(pm->GetPinNumber(pin.c_str()));
            ReadCell(pm->GetBScanCell(pin.c_str()));
        }
    }
    // Every pin number, plus the ones just outside the valid range, queried
    // and driven in both forms.
    for (int pin = -1; pin <= count + 1; ++pin) {
        g_sink += pm->GetPort(pin) != nullptr;
        Touch(pm->GetPinName(pin));
        Touch(pm->GetPortName(pin));
        Sink(pm->GetPortType(pin), pm->GetPortDirection(pin), pm->GetPortValue(pin));
        Sink(pm->IsPositiveElement(pin), pm->IsNegativeElement(pin), pm->HasBScanCell(pin));
        PortType dir = static_cast<PortType>(choices.Next() % 5);
        eSignal value = static_cast<eSignal>(choices.Next() % 8);
        Sink(pm->setPort(pin, dir, value));
        CheckImage(pm, false);
        if (choices.Next() % 4 == 0) {
            Sink(pm->setPort(pin, dir, value, (choices.Next() & 1) != 0));
            CheckImage(pm, false);
        }
        Sink(pm->GetPortDirection(pin), pm->GetPortValue(pin));
    }
    CheckImage(pm);
    for (int i = -1; i <= pm->GetIOTypeCount(); ++i) Touch(pm->GetIOName(i));
}

void ExerciseDescriptions(BScanParser& parser) {
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    if (ir) {
        CInstrRegisterDesc copy(*ir);
        Sink(copy.GetInstructionLength());
        Touch(copy.GetInstructionCapture());
        for (int i = -1; i <= copy.GetInstructionOpcodeCount(); ++i) {
            const CInstrOpcode* op = copy.GetInstructionOpcode(i);
            if (!op) continue;
            CInstrOpcode opCopy(*op);
            Touch(opCopy.GetInstruction());
            for (int k = -1; k <= opCopy.GetOpcodeCount(); ++k) Touch(opCopy.GetOpcode(k));
        }
        CInstrRegisterDesc assigned;
        assigned = copy;
        g_sink += assigned.GetInstructionOpcodeCount();
    }
    const CRegisterAccessDesc* ra = parser.GetRegisterAccessDescription();
    if (ra) {
        CRegisterAccessDesc copy(*ra);
        for (int i = -1; i <= copy.GetRegisterCount(); ++i) {
            const CRegister* reg = copy.GetRegister(i);
            if (!reg) continue;
            CRegister regCopy(*reg);
            Touch(regCopy.GetRegisterName());
            for (int k = -1; k <= regCopy.GetRegisterAssociationCount(); ++k)
                Touch(regCopy.GetRegisterAssocName(k));
        }
        CRegisterAccessDesc assigned;
        assigned = copy;
        g_sink += assigned.GetRegisterCount();
    }
    int pairs = parser.GetDifferentialPairCount();
    if (static_cast<size_t>(pairs) != parser.GetDifferentialPairList().size()) __builtin_trap();
    if (parser.GetDifferentialPair(-1) || parser.GetDifferentialPair(pairs)) __builtin_trap();
    for (int i = 0; i < pairs; ++i) {
        CDifferentialPair copy(*parser.GetDifferentialPair(i));
        Touch(copy.GetPositiveElement());
        Touch(copy.GetNegativeElement());
        Sink(copy.GetPositiveBScanPosition(), copy.GetNegativeBScanPosition());
    }
    Touch(parser.GetPackageType());
    Touch(parser.GetComponentName());
    ErrorHandler* handler = parser.GetErrorHandler();
    if (handler) {
        for (int i = -1; i <= handler->GetErrorCount(); ++i) Touch(handler->GetError(i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    g_path = dir + "/bscan_fuzz_read_" + std::to_string(getpid()) + ".bsdl";
    // The input file goes when the run ends normally.
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteInput(data, size)) return 0;
    Choices choices(data, size);
    {
        BScanParser parser;
        // Now and then the host presets the cells, with arrays that may be
        // shorter than the register.
        if (size % 3 == 0) {
            int count = static_cast<int>(size % 61);
            std::vector<unsigned char> values(count + 1), mask(count + 1);
            for (int i = 0; i < count; ++i) {
                values[i] = static_cast<unsigned char>(choices.Next() % 3);
                mask[i] = static_cast<unsigned char>(choices.Next() & 1);
            }
            parser.SetBSCANBitArray(values.data(), count, (size & 1) ? mask.data() : nullptr);
        }
        // Now and then the same parser reads the file twice: the second
        // reading adds to what the first one built.
        int readings = size % 5 == 1 ? 2 : 1;
        for (int r = 0; r < readings; ++r) {
            int rc = parser.Initialize(g_path.c_str(), BSCAN_MESSAGE_DIR);
            if (rc >= 0) {
                rc = parser.Read();
                if (rc > 0 || rc < -17 || rc == -12) __builtin_trap();
            }
        }
        BScanPinMap* pm = parser.GetPinMap();
        if (pm) {
            CheckImage(pm);
            ExerciseCells(pm);
            ExercisePorts(pm, choices);
            pm->ResetAllPort();
            CheckImage(pm);

            // A deep copy of the pin map is used and destroyed on its own.
            BScanPinMap copy(*pm);
            ExerciseCells(&copy);
            ExercisePorts(&copy, choices);
            BScanPinMap assigned;
            assigned = copy;
            BScanPinMap& self = assigned;
            assigned = self;
            CheckImage(&assigned);
            assigned.InitBSCANBitArray();
        }
        ExerciseDescriptions(parser);

        // Copies of the parser: each owns its own model.
        BScanParser copy(parser);
        ExerciseDescriptions(copy);
        if (copy.GetPinMap()) ExerciseCells(copy.GetPinMap());
        BScanParser assigned;
        assigned = parser;
        assigned = copy;
        if (assigned.GetPinMap()) CheckImage(assigned.GetPinMap());
        parser.CloseFile();
    }
    return 0;
}
