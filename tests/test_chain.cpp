// Scan chains (chain/): the chain file, the chain's devices and opcodes,
// driving by NAME.PORT, the safe chain SVF bit for bit, capture decoding
// and identification by IDCODE.
//
// chain_board.chain, TDI first: U1 CHAIN_CPLD (IR 5, 8 cells, IDCODE
// XXXX 0000000100100011 00000110110 1), U7 ir=3, U3 CHAIN_FPGA (IR 6, 15
// cells, IDCODE 0x31428093), U4 CHAIN_BUFFER (IR 2, 9 cells, no IDCODE).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ScratchDir.h"
#include "chain/BScanChain.h"
#include "chain/CaptureDecode.h"
#include "chain/ChainFile.h"
#include "chain/ChainScan.h"
#include "chain/ChainSvf.h"
#include "chain/Identify.h"

namespace {

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kBoard = kData + "/chain_board.chain";

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(ChainFile, ReadsNamesPathsAndBareDevicesAndNamesTheLineOfEachFault)
{
    std::vector<ChainFileEntry> entries;
    std::string error;
    ASSERT_TRUE(ParseChainText("# board\n\nU1  bsdl/cpld.bsdl   # first\r\n\tU7 IR=6\nU3 /abs/fpga.bsd\n", "b.chain",
                               "boards", entries, error))
        << error;
    ASSERT_EQ(3u, entries.size());
    EXPECT_EQ("U1", entries[0].name);
    EXPECT_EQ("bsdl/cpld.bsdl", entries[0].path);
    EXPECT_EQ("boards/bsdl/cpld.bsdl", entries[0].resolvedPath);
    EXPECT_EQ(-1, entries[0].irLength);
    EXPECT_EQ(3, entries[0].line);
    EXPECT_EQ(6, entries[1].irLength);
    EXPECT_EQ("", entries[1].path);
    EXPECT_EQ(4, entries[1].line);
    EXPECT_EQ("/abs/fpga.bsd", entries[2].resolvedPath);

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"U1 a.bsdl\nU2\n", "b.chain:2: error: a device line is NAME followed by a BSDL path or ir=N (got 1 words)"},
        {"U1 a.bsdl extra\n", "b.chain:1: error: a device line is NAME followed by a BSDL path or ir=N (got 3 words)"},
        {"U.1 a.bsdl\n", "b.chain:1: error: the device name 'U.1' holds '.' (letters, digits and _ - + / [ ] $ only)"},
        {"U1 a.bsdl\n# x\nu1 ir=2\n", "b.chain:3: error: the device name 'u1' is already used on line 1"},
        {"U1 ir=0\n", "b.chain:1: error: 'ir=0': the instruction length must be a number from 1 to 4096"},
        {"U1 ir=4097\n", "b.chain:1: error: 'ir=4097': the instruction length must be a number from 1 to 4096"},
        {"U1 ir=x\n", "b.chain:1: error: 'ir=x': the instruction length must be a number from 1 to 4096"},
        {"# nothing\n\n", "b.chain:2: error: the chain file names no device"},
        {"", "b.chain:0: error: the chain file names no device"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_FALSE(ParseChainText(text, "b.chain", "", entries, error)) << text;
        EXPECT_EQ(message, error) << text;
    }
    EXPECT_FALSE(ReadChainFile(kData + "/no_such.chain", entries, error));
    EXPECT_EQ(kData + "/no_such.chain:0: error: the chain file cannot be opened", error);
}

TEST(Chain, ReadsEveryDeviceWithItsRegistersAndOpcodes)
{
    BScanChain chain;
    ASSERT_EQ(0, chain.Read(kBoard, BSCAN_MESSAGE_DIR)) << chain.Error();
    ASSERT_EQ(4u, chain.DeviceCount());
    const int ir[] = {5, 3, 6, 2};
    const int boundary[] = {8, 0, 15, 9};
    const bool idcode[] = {true, false, true, false};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ir[i], chain.Device(i).irLength) << i;
        EXPECT_EQ(boundary[i], chain.Device(i).boundaryLength) << i;
        EXPECT_EQ(idcode[i], chain.HasIdcode(i)) << i;
    }
    EXPECT_EQ(kData + "/chain_cpld.bsdl", chain.Device(0).path);
    EXPECT_EQ(2, chain.Device(0).line);
    EXPECT_FALSE(chain.Device(1).HasFile());
    EXPECT_EQ(16, chain.IrBits());
    EXPECT_EQ(4, chain.BypassDrBits());
    EXPECT_EQ(2, chain.FindDevice("u3"));
    EXPECT_EQ(-1, chain.FindDevice("U9"));

    std::string name;
    EXPECT_EQ("00010", chain.PreloadOpcode(0, &name));   // PRELOAD of its own
    EXPECT_EQ("PRELOAD", name);
    EXPECT_EQ("000101", chain.PreloadOpcode(2, &name));  // SAMPLE serves
    EXPECT_EQ("SAMPLE", name);
    EXPECT_EQ("", chain.PreloadOpcode(1));
    EXPECT_EQ("111", chain.BypassOpcode(1));
    EXPECT_EQ("001111", chain.InstructionOpcode(2, "extest"));
    EXPECT_EQ("", chain.InstructionOpcode(3, "IDCODE"));

    // A BSDL file that does not read gives its own error line.
    const std::string dir = bscan_test::NewScratchSubdir("chain");
    Write(dir + "/bad.chain", "U1 " + kData + "/chain_cpld.bsdl\nU2 " + kData + "/tool_syntax.bsdl\n");
    EXPECT_EQ(-1, chain.Read(dir + "/bad.chain", BSCAN_MESSAGE_DIR));
    EXPECT_EQ(0u, chain.DeviceCount());
    EXPECT_EQ(0u, chain.Error().rfind(kData + "/tool_syntax.bsdl:10: error: syntax error", 0)) << chain.Error();
    EXPECT_NE(std::string::npos, chain.Error().find("(BSDL_ERR_SYNTAX, -5)")) << chain.Error();
}

TEST(Chain, DrivesNamedPortsAndRefusesWhatItCannot)
{
    BScanChain chain;
    ASSERT_EQ(0, chain.Read(kBoard, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::string error;
    ASSERT_EQ(0, chain.Drive({"U1.OUT1=1", "u3.D(2)=0"}, error)) << error;
    EXPECT_TRUE(chain.Device(0).driven);
    EXPECT_FALSE(chain.Device(1).driven);
    EXPECT_TRUE(chain.Device(2).driven);
    EXPECT_FALSE(chain.Device(3).driven);
    // OUT1 enabled (control 2 = 1) at 1 (cell 3); D(2) enabled (control 6
    // = 0) at 0; the other controls of U3 at their safe 1.
    EXPECT_EQ("00110000", chain.ImageBits(0));
    EXPECT_EQ("100100000100001", chain.ImageBits(2));
    EXPECT_EQ("", chain.ImageBits(1));

    const std::vector<std::tuple<std::string, int, std::string>> bad = {
        {"U1OUT1=1", 1, "'U1OUT1=1' is not of the form NAME.PORT=VALUE[:in|:out]"},
        {"U1=1.x", 1, "'U1=1.x' is not of the form NAME.PORT=VALUE[:in|:out]"},
        {"U9.A=1", 2, kBoard + ": error: no device 'U9' in the chain ('U9.A=1')"},
        {"U1.NOPE=1", 1, "no port of U1 matches 'NOPE'"},
        {"U7.A=1", 1, "no port of U7 matches 'A' (the device has no BSDL file)"},
        {"U1.IN1=2", 1, "'IN1=2': the value must be 0, 1, X or Z"},
        {"U1.IN1=1:out", 2, "'U1.IN1=1:out': the library refused to drive pin 5 as out (setPort gave -1)"},
    };
    for (const auto& [text, code, message] : bad) {
        EXPECT_EQ(code, chain.Drive({text}, error)) << text;
        EXPECT_EQ(message, error) << text;
    }
}

TEST(ChainSvf, ShiftsTheWholeChainInTheSafeOrder)
{
    BScanChain chain;
    ASSERT_EQ(0, chain.Read(kBoard, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::string error, svf;
    // Nothing driven: the reset and the IDCODE check only.
    ASSERT_EQ(0, WriteChainSvf(chain, ChainSvfOptions(), svf, error)) << error;
    const std::string last = "MASK (03FFFFFFFFFFFFFFF);\n! the check is complete here\nTRST OFF;\n";
    ASSERT_GT(svf.size(), last.size());
    EXPECT_EQ(last, svf.substr(svf.size() - last.size())) << svf;
    ASSERT_EQ(0, chain.Drive({"U1.OUT1=1"}, error)) << error;
    ASSERT_EQ(0, WriteChainSvf(chain, ChainSvfOptions(), svf, error)) << error;
    // The IR check: 16 + 32 ones; out come the captures 00101 (U1), X01
    // (U7, only the two low bits cared for), 010001 (U3), 01 (U4), device 0
    // most significant: 0x2945 under the mask 0xFBFF, then the 32 ones.
    // IR, device 0 most significant: 00110 111 001001 11 = 0x3727 (IDCODE
    // check), 00010 111 111111 11 = 0x17FF (PRELOAD), 00000 111 111111 11 =
    // 0x07FF (EXTEST). IDCODE DR from TDO: U4's bypass bit 0, U3's
    // 0x31428093 in bits 1-32, U7's bypass bit 33, U1's 0x0012306D in bits
    // 34-65 (its version bits not cared for). Preload DR: three bypass bits,
    // then U1's cells 00110000 (cell 0 first) in bits 3-10: 0x060.
    EXPECT_EQ("! bscan: chain " + kBoard + ", 4 devices, TDI first\n"
              "STATE RESET;\nSTATE IDLE;\nENDIR IDLE;\nENDDR IDLE;\n"
              "! instruction register check: every device in BYPASS, its capture pattern expected\n"
              "SIR 48 TDI (FFFFFFFFFFFF) TDO (FFFFFFFF2945) MASK (FFFFFFFFFBFF);\n"
              "! the check is complete here\nTRST OFF;\n"
              "! IDCODE check: U1 IDCODE, U7 BYPASS, U3 IDCODE, U4 BYPASS\n"
              "SIR 16 TDI (3727);\n"
              "SDR 66 TDI (00000000000000000) TDO (00048C1B462850126) MASK (03FFFFFFFFFFFFFFF);\n"
              "! the check is complete here\nTRST OFF;\n"
              "! preload: U1 PRELOAD, U7 BYPASS, U3 BYPASS, U4 BYPASS\n"
              "SIR 16 TDI (17FF);\nSDR 11 TDI (060);\n"
              "! EXTEST: U1 EXTEST, U7 BYPASS, U3 BYPASS, U4 BYPASS\n"
              "SIR 16 TDI (07FF);\nSDR 11 TDI (060);\n",
              svf);

    ChainSvfOptions options;
    options.idcodeCheck = false;
    options.sampleOnly = true;
    ASSERT_EQ(0, WriteChainSvf(chain, options, svf, error)) << error;
    // The first line names the board file, whose path may hold any word.
    const std::string body = svf.substr(svf.find('\n') + 1);
    EXPECT_EQ(std::string::npos, body.find("IDCODE"));
    EXPECT_EQ(std::string::npos, body.find("check"));
    EXPECT_EQ(std::string::npos, body.find("TRST"));
    EXPECT_EQ(std::string::npos, body.find("EXTEST"));
    EXPECT_NE(std::string::npos, svf.find("SIR 16 TDI (17FF);\nSDR 11 TDI (060);\n"));

    // A driven device without a preload instruction is refused.
    const std::string dir = bscan_test::NewScratchSubdir("chain_svf");
    std::string text = Slurp(kData + "/tool_small.bsdl");
    const size_t sample = text.find("\"SAMPLE (010, 011),\" &\n");
    ASSERT_NE(std::string::npos, sample);
    text.erase(sample, std::string("\"SAMPLE (010, 011),\" &\n").size());
    Write(dir + "/nosample.bsdl", text);
    Write(dir + "/one.chain", "\nX1 nosample.bsdl\n");
    ASSERT_EQ(0, chain.Read(dir + "/one.chain", BSCAN_MESSAGE_DIR)) << chain.Error();
    ASSERT_EQ(0, chain.Drive({"X1.A=1"}, error)) << error;
    EXPECT_EQ(-1, WriteChainSvf(chain, ChainSvfOptions(), svf, error));
    EXPECT_EQ(dir + "/one.chain:2: error: X1 has no PRELOAD or SAMPLE instruction to load its image before EXTEST",
              error);
}

TEST(ChainScan, ValuesShiftTheirFirstBitAsTheLeastSignificant)
{
    ScanBits bits;
    EXPECT_EQ("0", ScanBitsHex(bits));
    ASSERT_TRUE(AppendOpcode(bits, "110"));   // rightmost first
    AppendCells(bits, "10");
    EXPECT_EQ("0E", ScanBitsHex(bits));       // bits 0,1,1,1,0 from bit 0
    EXPECT_FALSE(AppendOpcode(bits, "1X"));
    bits.clear();
    AppendWord(bits, 0x80000001u);
    EXPECT_EQ("80000001", ScanBitsHex(bits));
    EXPECT_EQ("SDR 32 TDI (80000001);\n", SvfSdr(bits));
    ScanBits shorter(3, 1);
    EXPECT_EQ("SDR 32 TDI (80000001);\n", SvfSdr(bits, &shorter, &shorter));  // lengths differ: no TDO
}

TEST(CaptureDecode, ReadsEachPortsInputCellFromTheCapture)
{
    ScanBits bits;
    std::string error;
    ASSERT_TRUE(ParseCaptureHex("0x19", 6, bits, error)) << error;
    EXPECT_EQ((ScanBits{1, 0, 0, 1, 1, 0}), bits);
    ASSERT_TRUE(ParseCaptureHex("3f", 6, bits, error));
    EXPECT_FALSE(ParseCaptureHex("7F", 6, bits, error));
    EXPECT_EQ("the capture '7F' is longer than the 6 bits scanned", error);
    EXPECT_FALSE(ParseCaptureHex("1G", 6, bits, error));
    EXPECT_EQ("the capture '1G' holds 'G', which is no hex digit", error);
    EXPECT_FALSE(ParseCaptureHex("0x", 6, bits, error));

    // The whole board: U4 (9 cells) in bits 0-8, U3 (15) in 9-23, U7's
    // bypass bit 24, U1 (8) in 25-32. Bits set: U4 A(1) (cell 1 -> bit 1),
    // U3 CLK (cell 12 -> bit 21), U1 IN2 (cell 1 -> bit 26).
    BScanChain chain;
    ASSERT_EQ(0, chain.Read(kBoard, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::vector<CapturedPort> ports;
    ASSERT_TRUE(DecodeChainCapture(chain, "04200002", {}, ports, error)) << error;
    int ones = 0;
    for (const CapturedPort& port : ports) {
        const std::string key = port.device + "." + port.port;
        const bool set = key == "U4.A(1)" || key == "U3.CLK" || key == "U1.IN2";
        EXPECT_EQ(set ? 1 : 0, port.value) << key;
        ones += port.value;
    }
    EXPECT_EQ(3, ones);
    // 2 + 4 + 5 + 4 ports with an input cell: U1 IN1 IN2 IO(0) IO(1); U3 CLK
    // D(3..0); U4 A(0..3). OUT1 and LED have none.
    EXPECT_EQ(13u, ports.size());
    EXPECT_FALSE(DecodeChainCapture(chain, "3" + std::string(8, '0'), {}, ports, error));  // 34 bits of 33

    // Only U3's register in the path: U4 and U1 give one bypass bit each.
    std::vector<bool> selected = {false, false, true, false};
    ASSERT_TRUE(DecodeChainCapture(chain, "2000", selected, ports, error)) << error;  // bit 13 = cell 12
    ASSERT_EQ(5u, ports.size());
    EXPECT_EQ("CLK", ports[0].port);
    EXPECT_EQ("B1", ports[0].pin);
    EXPECT_EQ(12, ports[0].cell);
    EXPECT_EQ(1, ports[0].value);
}

TEST(Identify, FindsTheFilesWhoseIdcodeMatchesIgnoringDontCareBits)
{
    uint32_t id = 0;
    EXPECT_TRUE(ParseIdcodeText("0x5012306d", id));
    EXPECT_EQ(0x5012306Du, id);
    EXPECT_TRUE(ParseIdcodeText("F", id));
    EXPECT_EQ(0xFu, id);
    for (const char* bad : {"", "0x", "123456789", "12G4", "-1"})
        EXPECT_FALSE(ParseIdcodeText(bad, id)) << bad;
    EXPECT_EQ("0xX012306D", IdcodePatternHex("XXXX0000000100100011000001101101"));
    EXPECT_EQ("0x1234[01X1]678", IdcodePatternHex("00010010001101000" "1X1" "011001111000"));

    std::vector<IdentifyMatch> matches;
    std::string error;
    for (uint32_t version : {0x0u, 0x5u, 0xFu}) {
        ASSERT_GT(IdentifyFiles((version << 28) | 0x012306Du, {kData}, matches, error), 0) << error;
        ASSERT_EQ(1u, matches.size());
        EXPECT_EQ(kData + "/chain_cpld.bsdl", matches[0].file);
        EXPECT_EQ("CHAIN_CPLD", matches[0].entity);
        EXPECT_EQ("qfn16", matches[0].package);
        EXPECT_EQ("XXXX0000000100100011000001101101", matches[0].pattern);
    }
    ASSERT_GT(IdentifyFiles(0x31428093u, {kData}, matches, error), 0);
    ASSERT_EQ(1u, matches.size());
    EXPECT_EQ("CHAIN_FPGA", matches[0].entity);
    ASSERT_GT(IdentifyFiles(0x31428092u, {kData}, matches, error), 0);  // bit 0 differs
    EXPECT_TRUE(matches.empty());
    EXPECT_EQ(-1, IdentifyFiles(0x1u, {kData + "/no_such_dir"}, matches, error));
    EXPECT_EQ(0u, error.rfind(kData + "/no_such_dir: error: the directory cannot be listed", 0)) << error;
}
