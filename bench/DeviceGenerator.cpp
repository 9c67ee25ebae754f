// Synthetic BSDL devices for the benchmarks; see DeviceGenerator.h.
#include "DeviceGenerator.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// One BOUNDARY_REGISTER entry.
struct Cell {
    std::string type = "BC_1";
    std::string port = "*";
    std::string function = "internal";
    std::string safe = "X";
    int control = -1;
    std::string disable, result;
    std::string comment;
};

// Grid pin names in JEDEC order: rows A .. Y without I, O, Q, S, X, Z, then
// two-letter rows; 40 columns a row.
class PinNames {
public:
    std::string Next() {
        static const char kRows[] = "ABCDEFGHJKLMNPRTUVWY";
        const int letters = 20, columns = 40;
        int row = m_count / columns, column = m_count % columns + 1;
        ++m_count;
        std::string name;
        if (row < letters) {
            name = kRows[row];
        } else {
            row -= letters;
            name = std::string(1, kRows[(row / letters) % letters]) + kRows[row % letters];
        }
        return name + std::to_string(column);
    }
private:
    int m_count = 0;
};

class Writer {
public:
    explicit Writer(int cells) : m_cells(cells) {}

    GeneratedDevice Build() {
        Plan();
        GeneratedDevice device;
        device.cells = m_cells;
        device.pairs = m_pairs;
        std::string& t = device.text;
        t.reserve(static_cast<size_t>(m_cells) * 80 + 4096);
        t += "-- Synthetic device of " + std::to_string(m_cells) + " boundary cells.\n\n";
        t += "entity " + m_entity + " is\n";
        t += "generic (PHYSICAL_PIN_MAP : string := \"FBGA\");\n\n";
        Ports(t, device.ports);
        t += "use STD_1149_1_2001.all;\n\n";
        t += "attribute COMPONENT_CONFORMANCE of " + m_entity + " : entity is \"STD_1149_1_2001\";\n";
        t += "attribute PIN_MAP of " + m_entity + " : entity is PHYSICAL_PIN_MAP;\n\n";
        PinMap(t);
        PortGrouping(t);
        Instructions(t);
        Register(t);
        t += "end " + m_entity + ";\n";
        return device;
    }

private:
    void Plan() {
        m_pairs = std::max(1, m_cells / 100);
        int rest = m_cells - 4 * m_pairs;
        m_bus = std::max(8, rest * 35 / 100 * 8 / 17);   // 2 + 1/8 cells an element
        m_inouts = rest * 30 / 100 / 2;
        m_inputs = rest * 10 / 100;
        m_outputs = rest * 15 / 100 / 2;
        m_table.assign(static_cast<size_t>(m_cells), Cell());
        int next = 0;
        auto take = [&]() { return next < m_cells ? next++ : -1; };
        auto put = [&](int at, const Cell& c) { if (at >= 0) m_table[at] = c; };
        for (int k = 0; k < m_pairs; ++k) {
            // Negative leg: cell n - 1 and cell n, n named by its comment.
            int spare = take();
            int neg = take();
            int ctl = take();
            int out = take();
            Cell control;
            control.function = "control";
            control.safe = "0";
            put(ctl, control);
            Cell drive;
            drive.port = "LVDS_P" + std::to_string(k);
            drive.function = "output3";
            drive.control = ctl;
            drive.disable = "0";
            drive.result = "Z";
            put(out, drive);
            put(spare, Cell());
            Cell negative;
            negative.comment = "LVDS_N" + std::to_string(k);
            put(neg, negative);
        }
        int control = -1;
        for (int k = 0; k < m_bus; ++k) {
            if (k % 8 == 0) {
                control = take();
                Cell c;
                c.function = "control";
                c.safe = "0";
                put(control, c);
            }
            std::string port = "DQ(" + std::to_string(k) + ")";
            Cell in;
            in.port = port;
            in.function = "input";
            put(take(), in);
            Cell out;
            out.port = port;
            out.function = "output3";
            out.control = control;
            out.disable = "0";
            out.result = "Z";
            put(take(), out);
        }
        for (int k = 0; k < m_inouts; ++k) {
            int ctl = take();
            Cell c;
            c.function = "control";
            c.safe = "0";
            put(ctl, c);
            Cell io;
            io.type = "BC_7";
            io.port = "IO_" + std::to_string(k);
            io.function = "bidir";
            io.control = ctl;
            io.disable = "0";
            io.result = k % 2 ? "PULL1" : "Z";
            io.comment = "pad " + std::to_string(k);
            put(take(), io);
        }
        for (int k = 0; k < m_inputs; ++k) {
            Cell in;
            in.port = "IN_" + std::to_string(k);
            in.function = "input";
            put(take(), in);
        }
        for (int k = 0; k < m_outputs; ++k) {
            int ctl = take();
            Cell c;
            c.function = "control";
            c.safe = "1";
            put(ctl, c);
            Cell out;
            out.port = "OUT_" + std::to_string(k);
            out.function = "output3";
            out.control = ctl;
            out.disable = "1";
            out.result = "WEAK0";
            put(take(), out);
        }
        // The bus and the scalar counts may have been cut by the table's end.
        m_bus = std::min(m_bus, m_cells);
    }

    void Ports(std::string& t, int& nodes) {
        t += "port (\n";
        std::vector<std::string> lines = {"TCK : in bit;", "TMS : in bit;", "TDI : in bit;",
                                          "TRST : in bit;", "TDO : out bit;"};
        nodes = 5;
        lines.push_back("DQ : inout bit_vector (0 to " + std::to_string(m_bus - 1) + ");");
        nodes += m_bus;
        for (int k = 0; k < m_inouts; ++k) lines.push_back("IO_" + std::to_string(k) + " : inout bit;");
        for (int k = 0; k < m_inputs; ++k) lines.push_back("IN_" + std::to_string(k) + " : in bit;");
        for (int k = 0; k < m_outputs; ++k) lines.push_back("OUT_" + std::to_string(k) + " : out bit;");
        for (int k = 0; k < m_pairs; ++k) {
            lines.push_back("LVDS_P" + std::to_string(k) + " : out bit;");
            lines.push_back("LVDS_N" + std::to_string(k) + " : out bit;");
        }
        nodes += m_inouts + m_inputs + m_outputs + 2 * m_pairs;
        lines.push_back("GND : linkage bit_vector (0 to 9)");
        nodes += 10;
        for (const std::string& l : lines) t += "    " + l + "\n";
        t += ");\n\n";
    }

    void PinMap(std::string& t) {
        PinNames pins;
        std::vector<std::string> pieces;
        for (const char* name : {"TCK", "TMS", "TDI", "TRST", "TDO"})
            pieces.push_back(std::string(name) + " : " + pins.Next() + ",");
        auto vector = [&](const std::string& name, int count) {
            std::string piece = name + " : (";
            for (int k = 0; k < count; ++k) {
                piece += pins.Next();
                if (k + 1 == count) {
                    piece += "),";
                } else if (k % 10 == 9) {
                    pieces.push_back(piece + ",");
                    piece.clear();
                } else {
                    piece += ", ";
                }
            }
            pieces.push_back(piece);
        };
        vector("DQ", m_bus);
        auto scalars = [&](const std::string& prefix, int count) {
            for (int k = 0; k < count; ++k)
                pieces.push_back(prefix + std::to_string(k) + " : " + pins.Next() + ",");
        };
        scalars("IO_", m_inouts);
        scalars("IN_", m_inputs);
        scalars("OUT_", m_outputs);
        for (int k = 0; k < m_pairs; ++k) {
            pieces.push_back("LVDS_P" + std::to_string(k) + " : " + pins.Next() + ",");
            pieces.push_back("LVDS_N" + std::to_string(k) + " : " + pins.Next() + ",");
        }
        vector("GND", 10);
        pieces.back().pop_back();  // no comma after the last entry
        t += "constant FBGA : PIN_MAP_STRING :=\n";
        Pieces(t, pieces);
    }

    void PortGrouping(std::string& t) {
        std::vector<std::string> pieces = {"Differential_Voltage ("};
        for (int k = 0; k < m_pairs; ++k) {
            std::string n = std::to_string(k);
            pieces.push_back("(LVDS_P" + n + ", LVDS_N" + n + ")" + (k + 1 < m_pairs ? "," : ")"));
        }
        t += "attribute PORT_GROUPING of " + m_entity + " : entity is\n";
        Pieces(t, pieces);
    }

    void Instructions(std::string& t) {
        t += "attribute TAP_SCAN_IN of TDI : signal is true;\n"
             "attribute TAP_SCAN_OUT of TDO : signal is true;\n"
             "attribute TAP_SCAN_MODE of TMS : signal is true;\n"
             "attribute TAP_SCAN_RESET of TRST : signal is true;\n"
             "attribute TAP_SCAN_CLOCK of TCK : signal is (50.0e6, BOTH);\n\n";
        t += "attribute INSTRUCTION_LENGTH of " + m_entity + " : entity is 10;\n";
        t += "attribute INSTRUCTION_OPCODE of " + m_entity + " : entity is\n";
        Pieces(t, {"BYPASS (1111111111),", "EXTEST (0000001111),", "SAMPLE (0000000101),",
                   "PRELOAD (0000000101),", "IDCODE (0000000110),", "USERCODE (0000000111),",
                   "HIGHZ (0000001100),", "CLAMP (0000001010),", "INTEST (0000001001),",
                   "PRIVATE1 (1100010000, 1100010001, 1100010010, 1100010011)"});
        t += "attribute INSTRUCTION_CAPTURE of " + m_entity + " : entity is \"0101010101\";\n";
        t += "attribute INSTRUCTION_PRIVATE of " + m_entity + " : entity is \"PRIVATE1\";\n";
        t += "attribute IDCODE_REGISTER of " + m_entity + " : entity is\n";
        Pieces(t, {"0001", "0010101111000011", "00001101110", "1"});
        t += "attribute REGISTER_ACCESS of " + m_entity + " : entity is\n";
        Pieces(t, {"BOUNDARY (EXTEST, SAMPLE, PRELOAD, INTEST),", "BYPASS (BYPASS, HIGHZ, CLAMP),",
                   "DEVICE_ID (IDCODE, USERCODE)"});
        t += "\n";
    }

    void Register(std::string& t) {
        t += "attribute BOUNDARY_LENGTH of " + m_entity + " : entity is " + std::to_string(m_cells) + ";\n";
        t += "attribute BOUNDARY_REGISTER of " + m_entity + " : entity is\n";
        t += "--     num   cell  port  function  safe  [ccell  disval  rslt]\n";
        for (int n = m_cells - 1; n >= 0; --n) {
            const Cell& c = m_table[n];
            std::string entry = std::to_string(n) + " (" + c.type + ", " + c.port + ", " + c.function +
                                ", " + c.safe;
            if (c.control >= 0) entry += ", " + std::to_string(c.control) + ", " + c.disable + ", " + c.result;
            entry += ")";
            t += "  \"" + entry + (n > 0 ? ", \" &" : "\";");
            if (!c.comment.empty()) t += " -- " + c.comment;
            t += "\n";
        }
    }

    static void Pieces(std::string& t, const std::vector<std::string>& pieces) {
        for (size_t i = 0; i < pieces.size(); ++i)
            t += "  \"" + pieces[i] + (i + 1 < pieces.size() ? "\" &\n" : "\";\n");
    }

    int m_cells;
    int m_pairs = 0, m_bus = 0, m_inouts = 0, m_inputs = 0, m_outputs = 0;
    std::vector<Cell> m_table;
    std::string m_entity = "SYNTH_DEVICE";
};

}  // namespace

GeneratedDevice GenerateDevice(int cells) {
    return Writer(cells).Build();
}
