// Every vendor BSDL file of the shared folder (when it is there) is read
// the way a host reads it: the result must be one of the documented codes,
// and a device that was read must make sense: every cell in range, an image
// of (length + 7) / 8 bytes whose bits beyond the last cell stay 0 however
// the ports are driven.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "parser/BScanParser.h"

namespace {

std::vector<std::string> RealFiles() {
    std::vector<std::string> files;
    DIR* dir = opendir(BSCAN_REAL_BSDL_DIR);
    if (!dir) return files;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        files.push_back(std::string(BSCAN_REAL_BSDL_DIR) + "/" + name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

bool DocumentedCode(int rc) {
    return rc == 0 || (rc >= -11 && rc <= -1) || (rc >= -17 && rc <= -13);
}

// The bits of the image beyond the last cell.
unsigned char UnusedBits(BScanPinMap* pm) {
    int length = pm->GetBScanLength();
    if (length <= 0 || length % 8 == 0) return 0;
    return pm->GetBScanBitArray()[(length + 7) / 8 - 1] & (0xFF >> (length % 8));
}

void CheckDevice(BScanParser& parser) {
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_NE(nullptr, pm);
    int length = pm->GetBScanLength();
    ASSERT_GE(length, 0);
    ASSERT_EQ(length > 0, pm->GetBScanBitArray() != nullptr);
    for (int i = 0; i < length; ++i) {
        int pos = pm->GetBScanCell(i)->GetBoundaryCellPosition();
        ASSERT_TRUE(pos == -1 || pos == i) << "cell " << i << " at " << pos;
        const KBScanCell* control = pm->GetBScanCell(i)->GetControlCell();
        if (control) ASSERT_TRUE(control >= pm->GetBScanCellTable() &&
                                 control < pm->GetBScanCellTable() + length);
    }
    // Read the whole image (the sanitizer sees one that is too short).
    unsigned sum = 0;
    for (int i = 0; i < (length + 7) / 8; ++i) sum += pm->GetBScanBitArray()[i];
    (void)sum;
    EXPECT_EQ(0, UnusedBits(pm));

    int pins = pm->GetNumberOfPins();
    const eSignal values[] = {SIGNAL_HIGH, SIGNAL_LOW, SIGNAL_Z};
    for (int pin = 1; pin <= pins; ++pin) {
        for (eSignal v : values) {
            pm->setPort(pin, PORT_OUT, v);
            pm->setPort(pin, PORT_IN, v);
        }
        pm->GetPortDirection(pin);
        pm->GetPortValue(pin);
    }
    EXPECT_EQ(0, UnusedBits(pm));
    for (int pin = 1; pin <= pins; ++pin) pm->setPort(pin, PORT_OUT, SIGNAL_HIGH, true);
    EXPECT_EQ(0, UnusedBits(pm));

    // Every port that has a pin number is found by it.
    const KObjList* list = pm->GetPinListArray();
    for (int i = 0; i < list->GetCount(); ++i) {
        KPinNode* node = static_cast<KPinNode*>(list->GetAt(i));
        int number = node->GetPinNumber();
        if (number >= 1 && number <= pins) {
            KPinNode* found = pm->GetPort(number);
            ASSERT_NE(nullptr, found);
            EXPECT_EQ(number, found->GetPinNumber());
        }
    }
}

}  // namespace

TEST(RealFiles, EveryVendorFileReadsWithADocumentedResult) {
    std::vector<std::string> files = RealFiles();
    if (files.empty()) GTEST_SKIP() << "no vendor BSDL files in " << BSCAN_REAL_BSDL_DIR;
    std::map<int, int> results;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        BScanParser parser;
        int rc = parser.Initialize(file.c_str(), BSCAN_MESSAGE_DIR);
        if (rc >= 0) rc = parser.Read();
        parser.CloseFile();
        EXPECT_TRUE(DocumentedCode(rc)) << rc;
        ++results[rc];
        if (rc == 0) CheckDevice(parser);
    }
    std::string summary;
    for (const auto& r : results)
        summary += " " + std::to_string(r.first) + ":" + std::to_string(r.second);
    printf("[ results  ] %zu files, result:count%s\n", files.size(), summary.c_str());
}
