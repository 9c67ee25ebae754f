// The parser object: default directory, Initialize, the one shared input
// stream, deep copies, a derived Reset and ProcessException.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "parser/BScanParser.h"

#include "ScratchDir.h"

namespace {

class LifecycleProbe : public BScanParser {
public:
    using BScanParser::GetLine;
    using BScanParser::m_bsdlFilename;
    using BScanParser::m_defaultDir;
    using BScanParser::m_differentialPairs;
    using BScanParser::m_lineNumber;
    using BScanParser::m_presetValues;
    using BScanParser::ProcessException;
    using BScanParser::SharedStream;

    int m_resetResult = 0;
    bool m_dropHandler = false;
    int Reset() override
    {
        BScanParser::Reset();
        if (m_dropHandler) {
            delete m_errorHandler;
            m_errorHandler = nullptr;
        }
        return m_resetResult;
    }
    std::string NextLine()
    {
        std::string line;
        EXPECT_EQ(GetLine(SharedStream(), line, nullptr), BSDL_OK);
        return line;
    }
};

const std::string kFirst = std::string(BSCAN_TEST_DATA_DIR) + "/util_lifecycle.bsdl";
const std::string kSecond = std::string(BSCAN_TEST_DATA_DIR) + "/util_second.bsdl";

std::string MakeTempDir()
{
    return bscan_test::NewScratchSubdir("life");
}

std::string CurrentDir()
{
    char buf[8192];
    return getcwd(buf, sizeof buf) ? buf : "";
}

}  // namespace

TEST(Lifecycle, DefaultDirectoryIsEnteredOnlyToTestIt)
{
    std::string tmp = MakeTempDir();
    std::string start = CurrentDir();
    LifecycleProbe p;
    EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_OK);
    EXPECT_STREQ(p.m_defaultDir, tmp.c_str());
    EXPECT_EQ(p.SetDefaultDir("/nonexistent/bscan"), BSDL_ERR_DIRECTORY);
    EXPECT_STREQ(p.m_defaultDir, tmp.c_str());
    EXPECT_EQ(p.SetDefaultDir(nullptr), BSDL_OK);
    EXPECT_STREQ(p.m_defaultDir, "");
    EXPECT_EQ(CurrentDir(), start);

    // A working directory far deeper than 254 characters is kept too.
    std::string deep = tmp;
    for (int i = 0; i < 6; ++i) {
        deep += "/" + std::string(70, static_cast<char>('k' + i));
        ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
    }
    ASSERT_EQ(chdir(deep.c_str()), 0);
    EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_OK);
    EXPECT_EQ(CurrentDir(), deep);
    EXPECT_EQ(p.SetDefaultDir("missing"), BSDL_ERR_DIRECTORY);
    EXPECT_EQ(CurrentDir(), deep);

    // A working directory that cannot be read: with no way back, the
    // directory is not entered at all.
    ASSERT_EQ(rmdir(deep.c_str()), 0);
    EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_ERR_DIRECTORY);
    EXPECT_EQ(CurrentDir(), "");                       // still in the removed directory
    ASSERT_EQ(chdir(start.c_str()), 0);
}

TEST(Lifecycle, InitializeOpensTheFileAndLoadsTheMessages)
{
    LifecycleProbe p;
    EXPECT_EQ(p.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 32);
    ASSERT_NE(p.GetErrorHandler(), nullptr);
    EXPECT_STREQ(p.GetErrorHandler()->GetDefaultDir(), BSCAN_MESSAGE_DIR);
    EXPECT_EQ(p.GetLineNumber(), 0);                   // the pre-pass's lines are not counted
    EXPECT_EQ(p.NextLine(), "entity UTILDEV is");
    EXPECT_EQ(p.GetLineNumber(), 2);

    FILE* open = LifecycleProbe::SharedStream();
    EXPECT_EQ(p.Initialize(kSecond.c_str(), "/nonexistent/bscan"), BSDL_ERR_DIRECTORY);
    EXPECT_EQ(LifecycleProbe::SharedStream(), open);  // nothing changed
    EXPECT_STREQ(p.m_bsdlFilename, kFirst.c_str());

    // An empty name re-reads the stored one; without a directory the
    // message file is looked for in the working directory.
    std::string start = CurrentDir();
    ASSERT_EQ(chdir(MakeTempDir().c_str()), 0);
    EXPECT_EQ(p.Initialize("", nullptr), -1);         // the message file's result
    EXPECT_STREQ(p.m_defaultDir, "");
    EXPECT_EQ(p.NextLine(), "entity UTILDEV is");
    ASSERT_EQ(chdir(start.c_str()), 0);

    LifecycleProbe named;
    named.SetBSDLFilename(kSecond.c_str());
    named.SetBSDLFilename("");
    EXPECT_EQ(named.Initialize(nullptr, BSCAN_MESSAGE_DIR), 32);
    EXPECT_EQ(named.NextLine(), "entity UTILTWO is");

    LifecycleProbe none;
    EXPECT_EQ(none.Initialize(nullptr, BSCAN_MESSAGE_DIR), BSDL_ERR_PACKAGE_FILE);
    EXPECT_EQ(none.GetErrorHandler(), nullptr);
    EXPECT_EQ(none.Initialize("/nonexistent/x.bsdl", nullptr), BSDL_ERR_PACKAGE_FILE);
}

TEST(Lifecycle, TwoParsersShareOneStream)
{
    LifecycleProbe first;
    ASSERT_GE(first.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    {
        LifecycleProbe second;
        ASSERT_GE(second.Initialize(kSecond.c_str(), BSCAN_MESSAGE_DIR), 0);
        EXPECT_EQ(first.NextLine(), "entity UTILTWO is");
    }
    EXPECT_EQ(LifecycleProbe::SharedStream(), nullptr);  // closed by the destruction
    EXPECT_EQ(first.Read(), BSDL_ERR_FILE);

    ASSERT_GE(first.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    LifecycleProbe().CloseFile();
    EXPECT_EQ(first.Read(), BSDL_ERR_FILE);
}

TEST(Lifecycle, SecondInitializeAddsToTheModelAndRestartsCounting)
{
    LifecycleProbe p;
    ASSERT_GE(p.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    ASSERT_EQ(p.Read(), BSDL_OK);
    BScanPinMap* pinMap = p.GetPinMap();
    ASSERT_NE(pinMap, nullptr);
    EXPECT_EQ(pinMap->GetNumberOfPins(), 4);
    p.GetErrorHandler()->SetErrorOccured("from the first reading");

    ASSERT_GE(p.Initialize(kSecond.c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(p.GetLineNumber(), 0);
    EXPECT_EQ(p.GetErrorHandler()->GetErrorCount(), 0);  // a new handler
    ASSERT_EQ(p.Read(), BSDL_OK);
    EXPECT_EQ(p.GetPinMap(), pinMap);
    EXPECT_EQ(pinMap->GetNumberOfPins(), 5);
    EXPECT_STREQ(pinMap->GetPortName(5), "E");
    EXPECT_STREQ(p.GetComponentName(), "UTILTWO");
}

TEST(Lifecycle, CopiesOwnEverythingAndOutliveTheOriginal)
{
    auto original = std::make_unique<LifecycleProbe>();
    ASSERT_GE(original->Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    ASSERT_EQ(original->Read(), BSDL_OK);
    unsigned char values[3] = {0, 1, 2};
    original->SetBSCANBitArray(values, 3, nullptr);
    original->m_differentialPairs.emplace_back();
    original->m_differentialPairs.back().SetPositiveElement("A");
    original->GetErrorHandler()->SetErrorOccured("kept");

    LifecycleProbe copy(*original);
    EXPECT_NE(copy.GetPinMap(), original->GetPinMap());
    EXPECT_NE(copy.GetErrorHandler(), original->GetErrorHandler());
    EXPECT_NE(copy.m_presetValues, original->m_presetValues);
    LifecycleProbe assigned;
    assigned.SetBSDLFilename("old.bsdl");
    assigned = copy;
    assigned = *&assigned;                              // self-assignment keeps everything

    original.reset();                                   // also closes the shared stream
    for (LifecycleProbe* p : {&copy, &assigned}) {
        ASSERT_NE(p->GetPinMap(), nullptr);
        EXPECT_STREQ(p->GetPinMap()->GetPortName(3), "D");
        EXPECT_STREQ(p->GetComponentName(), "UTILDEV");
        EXPECT_STREQ(p->m_bsdlFilename, kFirst.c_str());
        EXPECT_EQ(p->m_presetValues[1], 1);
        EXPECT_STREQ(p->GetDifferentialPair(0)->GetPositiveElement(), "A");
        EXPECT_EQ(p->GetDifferentialPair(1), nullptr);
            EXPECT_STREQ(p->GetErrorHandler()->GetError(0), "kept");
    }
    EXPECT_NE(assigned.GetPinMap(), copy.GetPinMap());
}

TEST(Lifecycle, DerivedResetAndProcessException)
{
    LifecycleProbe failing;
    failing.m_resetResult = -5;
    EXPECT_EQ(failing.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), -5);

    // Without an error handler the parser reads on, without messages.
    LifecycleProbe silent;
    silent.m_dropHandler = true;
    EXPECT_EQ(silent.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(silent.GetErrorHandler(), nullptr);
    EXPECT_EQ(silent.Read(), BSDL_OK);
    EXPECT_EQ(silent.ProcessException(1, 8, "nothing to record"), -1);

    std::string dir = MakeTempDir();
    FILE* f = std::fopen((dir + "/ErrorList.txt").c_str(), "w");
    std::fputs("1 8 8 Line %d, column %d: bad value.\n3 1 77 100%% at %d\n3 2 5\n", f);
    std::fclose(f);
    LifecycleProbe p;
    ASSERT_EQ(p.Initialize(kFirst.c_str(), dir.c_str()), 3);
    p.NextLine();
    p.NextLine();
    ErrorHandler* log = p.GetErrorHandler();
    EXPECT_EQ(p.ProcessException(9, 9, "context"), -1);
    EXPECT_STREQ(log->GetError(0), "\ncontext\nXML Parser Error At Line 3, Column 0.");
    EXPECT_EQ(p.ProcessException(1, 8, "ctx"), 8);
    EXPECT_STREQ(log->GetError(1), "\nctx\nLine 3, column 0: bad value.");
    EXPECT_EQ(p.ProcessException(3, 1, nullptr), 77);
    EXPECT_STREQ(log->GetError(2), "\n100% at 3");
    EXPECT_EQ(p.ProcessException(3, 2, "t"), 5);
    EXPECT_STREQ(log->GetError(3), "\nt\n");
    // Identifiers are cut to 16 bits; the line shows its low 32 bits.
    p.m_lineNumber = (1LL << 32) + 5;
    EXPECT_EQ(p.ProcessException(0x10001, 0x10008UL, nullptr), 8);
    EXPECT_STREQ(log->GetError(4), "\nLine 5, column 0: bad value.");
}
