// The whole-device description: the core read plus the light pass, on the
// checker's clean fixture and on scratch files.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ScratchDir.h"
#include "device/BScanDevice.h"

namespace {

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kMessages = BSCAN_MESSAGE_DIR;

std::string WriteScratch(const std::string& name, const std::string& text)
{
    std::string path = bscan_test::ScratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(DeviceTest, ReadsTheCoreAndTheAttributesItSkips)
{
    BScanDevice device;
    ASSERT_EQ(device.Read(kData + "/check_clean.bsdl", kMessages), 0);
    EXPECT_EQ(device.ReadResult(), 0);
    EXPECT_EQ(device.Entity(), "CHECK_CLEAN");
    EXPECT_EQ(device.Package(), "so16");
    ASSERT_NE(device.Parser().GetPinMap(), nullptr);
    EXPECT_EQ(device.Parser().GetPinMap()->GetBScanLength(), 8);

    const BScanIdcode* id = device.Idcode();
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id->pattern, "00110000000101010101000001101111");
    EXPECT_EQ(id->value, 0x3015506Fu);
    EXPECT_EQ(id->mask, 0xFFFFFFFFu);
    EXPECT_EQ(id->version, 3u);
    EXPECT_EQ(id->partNumber, 0x0155u);
    EXPECT_EQ(id->manufacturer, 0x37u);
    EXPECT_EQ(id->line, 55);
    EXPECT_TRUE(id->Matches(0x3015506F));
    EXPECT_FALSE(id->Matches(0x2015506F));

    const BScanIdcode* user = device.Usercode();
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->mask, 0x0000FFFFu);
    EXPECT_EQ(user->value, 0x0000AAAAu);
    EXPECT_TRUE(user->Matches(0x1234AAAA));
    EXPECT_FALSE(user->Matches(0x1234AAAB));

    EXPECT_EQ(device.RegisterLength("bypass"), 1);
    EXPECT_EQ(device.RegisterLength("DEVICE_ID"), 32);
    EXPECT_EQ(device.RegisterLength("Boundary"), 8);
    EXPECT_EQ(device.RegisterLength("USER_ID"), 32);
    EXPECT_EQ(device.RegisterLength("secret"), 7);
    EXPECT_EQ(device.RegisterLength("NOSUCH"), -1);
}

TEST(DeviceTest, KeepsTheLineOfEveryEntry)
{
    BScanDevice device;
    ASSERT_EQ(device.ReadDescription(kData + "/check_clean.bsdl"), 0);
    EXPECT_EQ(device.EntityLine(), 5);
    EXPECT_EQ(device.EndName(), "CHECK_CLEAN");
    ASSERT_EQ(device.Ports().size(), 10u);
    EXPECT_EQ(device.Ports()[0].name, "TCK");
    EXPECT_EQ(device.Ports()[0].line, 9);
    const BScanPortDeclaration* b = device.FindPort("b");
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->isVector);
    EXPECT_EQ(b->left, 1);
    EXPECT_EQ(b->right, 0);
    EXPECT_EQ(b->mode, "inout");
    EXPECT_EQ(device.FindPort("VCC")->mode, "linkage");

    ASSERT_EQ(device.BoundaryEntries().size(), 8u);
    const BScanCellEntry& first = device.BoundaryEntries()[0];
    EXPECT_EQ(first.number, 7);
    EXPECT_EQ(first.function, "control");
    EXPECT_EQ(first.line, 74);
    const BScanCellEntry& bidir = device.BoundaryEntries()[2];
    EXPECT_EQ(bidir.portName, "B");
    EXPECT_EQ(bidir.portIndex, 1);
    EXPECT_EQ(bidir.control, 7);
    EXPECT_EQ(bidir.disableValue, "0");
    EXPECT_EQ(bidir.disabledState, "Z");
    EXPECT_EQ(bidir.fieldCount, 7);
    EXPECT_EQ(bidir.line, 76);

    const BScanPinMapString* map = device.SelectedPinMap();
    ASSERT_NE(map, nullptr);
    ASSERT_EQ(map->entries.size(), 10u);
    EXPECT_EQ(map->entries[8].port, "B");
    EXPECT_EQ(map->entries[8].pins, (std::vector<std::string>{"9", "10"}));
    EXPECT_EQ(map->entries[8].line, 29);

    ASSERT_NE(device.FindTapPort("TAP_SCAN_CLOCK"), nullptr);
    EXPECT_EQ(device.FindTapPort("TAP_SCAN_CLOCK")->port, "TCK");
    EXPECT_EQ(device.TapPorts().size(), 5u);
    ASSERT_EQ(device.CompliancePatterns().size(), 1u);
    EXPECT_EQ(device.CompliancePatterns()[0].ports, (std::vector<std::string>{"EN"}));
    EXPECT_EQ(device.CompliancePatterns()[0].patterns, (std::vector<std::string>{"1"}));
    ASSERT_EQ(device.PrivateInstructions().size(), 1u);
    EXPECT_EQ(device.PrivateInstructions()[0].name, "PRIVATE1");
    EXPECT_EQ(device.DesignWarning(), nullptr);
    EXPECT_EQ(device.InstructionLength(), 4);
    EXPECT_EQ(device.InstructionCapture(), "0101");
    ASSERT_NE(device.FindInstruction("prelOAD"), nullptr);
    EXPECT_EQ(device.FindInstruction("PRELOAD")->opcodes, (std::vector<std::string>{"0001"}));
    const BScanAttribute* conformance = device.FindAttribute("component_conformance");
    ASSERT_NE(conformance, nullptr);
    EXPECT_EQ(conformance->value, "STD_1149_1_2001");
    EXPECT_TRUE(conformance->isString);
    EXPECT_EQ(conformance->line, 23);
    // ReadDescription leaves the core alone.
    EXPECT_EQ(device.Parser().GetPinMap(), nullptr);
}

TEST(DeviceTest, FailuresAndOddInput)
{
    BScanDevice device;
    EXPECT_EQ(device.ReadDescription(bscan_test::ScratchPath("missing.bsdl")), -10);
    EXPECT_EQ(device.Read(bscan_test::ScratchPath("missing.bsdl"), kMessages), -10);
    EXPECT_EQ(device.Idcode(), nullptr);
    EXPECT_EQ(device.Entity(), "");

    // An IDCODE of 31 bits, a USERCODE with another letter: no code.
    const std::string odd = WriteScratch("odd.bsdl",
        "entity ODD is\n"
        "attribute IDCODE_REGISTER of ODD : entity is \"0000000000000000000000000000001\";\n"
        "attribute USERCODE_REGISTER of ODD : entity is \"000000000000000000000000000000Q1\";\n"
        "end ODD;\n");
    EXPECT_EQ(device.ReadDescription(odd), 0);
    EXPECT_EQ(device.Idcode(), nullptr);
    EXPECT_EQ(device.Usercode(), nullptr);
    EXPECT_NE(device.FindAttribute("IDCODE_REGISTER"), nullptr);

    // The core refuses a file that begins otherwise; the light pass still reads it.
    const std::string upper = WriteScratch("upper.bsdl",
        "ENTITY UP is\n"
        "attribute IDCODE_REGISTER of UP : entity is \"0001\" & \"0000000000000001\" & \"00000000000\" & \"1\";\n"
        "end UP;\n");
    EXPECT_EQ(device.Read(upper, kMessages), -5);
    EXPECT_EQ(device.ReadFailureLine(), 1);
    EXPECT_EQ(device.Entity(), "UP");
    ASSERT_NE(device.Idcode(), nullptr);
    EXPECT_EQ(device.Idcode()->value, 0x10001001u);

    // A line of 600 characters is three of the core's reads.
    const std::string longLine = WriteScratch("long.bsdl",
        "entity L is\n-- " + std::string(597, 'x') + "\nend L;\n");
    EXPECT_EQ(device.ReadDescription(longLine), 0);
    ASSERT_EQ(device.LongLines().size(), 1u);
    EXPECT_EQ(device.LongLines()[0].line, 2);
    EXPECT_EQ(device.FileLineOfCoreLine(1), 1);
    EXPECT_EQ(device.FileLineOfCoreLine(2), 2);
    EXPECT_EQ(device.FileLineOfCoreLine(4), 2);
    EXPECT_EQ(device.FileLineOfCoreLine(5), 3);

    // Nothing but garbage: no entity, no crash.
    const std::string junk = WriteScratch("junk.bsdl", std::string("\"(((;;--\0\xff:=", 13));
    EXPECT_EQ(device.ReadDescription(junk), 0);
    EXPECT_FALSE(device.DescriptionRead());
}

}  // namespace
