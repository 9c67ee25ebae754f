// The parser object: default directory, Initialize, the one shared input
// stream, deep copies, Reset, ProcessException and the pair accessors.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "parser/BScanParser.h"

namespace {

class LifecycleProbe : public BScanParser {
public:
    using BScanParser::GetLine;
    using BScanParser::m_bsdlFilename;
    using BScanParser::m_defaultDir;
    using BScanParser::m_differentialPairs;
    using BScanParser::m_lineNumber;
    using BScanParser::m_pinNameParts;
    using BScanParser::m_presetCount;
    using BScanParser::m_presetValues;
    using BScanParser::ProcessException;
    using BScanParser::Reset;
    using BScanParser::SetComponentName;
    using BScanParser::SetPackageType;
    using BScanParser::SharedStream;
};

const std::string kFirst = std::string(BSCAN_TEST_DATA_DIR) + "/util_lifecycle.bsdl";
const std::string kSecond = std::string(BSCAN_TEST_DATA_DIR) + "/util_second.bsdl";

std::string MakeTempDir()
{
    std::string pattern = ::testing::TempDir() + "bscan_life_XXXXXX";
    EXPECT_NE(mkdtemp(&pattern[0]), nullptr);
    return pattern;
}

void WriteFile(const std::string& path, const std::string& content)
{
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(content.c_str(), f);
    std::fclose(f);
}

std::string CurrentDir()
{
    std::vector<char> buf(8192);
    EXPECT_NE(getcwd(buf.data(), buf.size()), nullptr);
    return buf.data();
}

// Enters a directory for one test and always returns.
class ScopedDir {
public:
    explicit ScopedDir(const std::string& dir) : m_saved(CurrentDir())
    {
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~ScopedDir() { EXPECT_EQ(chdir(m_saved.c_str()), 0); }

private:
    std::string m_saved;
};

// A derived parser whose Reset fails, or leaves no error handler.
class ResetProbe : public LifecycleProbe {
public:
    int m_result = 0;
    int Reset() override
    {
        BScanParser::Reset();
        delete m_errorHandler;
        m_errorHandler = nullptr;
        return m_result;
    }
};

}  // namespace

TEST(Lifecycle, DefaultDirectoryIsEnteredOnlyToTestIt)
{
    std::string tmp = MakeTempDir();
    ASSERT_EQ(mkdir((tmp + "/sub").c_str(), 0700), 0);
    std::string start = CurrentDir();
    LifecycleProbe p;

    EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_OK);
    EXPECT_STREQ(p.m_defaultDir, tmp.c_str());
    EXPECT_EQ(CurrentDir(), start);

    EXPECT_EQ(p.SetDefaultDir("/nonexistent/bscan"), BSDL_ERR_DIRECTORY);
    EXPECT_STREQ(p.m_defaultDir, tmp.c_str());
    EXPECT_EQ(CurrentDir(), start);

    EXPECT_EQ(p.SetDefaultDir(nullptr), BSDL_OK);
    EXPECT_STREQ(p.m_defaultDir, "");
    EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_OK);
    EXPECT_EQ(p.SetDefaultDir(""), BSDL_OK);
    EXPECT_STREQ(p.m_defaultDir, "");

    {
        // A relative directory, and a working directory far longer than
        // 254 characters: both tested, the working directory kept.
        ScopedDir inTmp(tmp);
        EXPECT_EQ(p.SetDefaultDir("sub"), BSDL_OK);
        EXPECT_STREQ(p.m_defaultDir, "sub");
        std::string deep = tmp;
        for (int i = 0; i < 6; ++i) {
            deep += "/" + std::string(70, static_cast<char>('k' + i));
            ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
        }
        ScopedDir inDeep(deep);
        EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_OK);
        EXPECT_EQ(CurrentDir(), deep);
        EXPECT_EQ(p.SetDefaultDir("missing"), BSDL_ERR_DIRECTORY);
        EXPECT_EQ(CurrentDir(), deep);
    }
    EXPECT_EQ(CurrentDir(), start);

    {
        // A working directory that cannot be read: there would be no way
        // back, so the directory is not entered at all.
        std::string gone = MakeTempDir();
        ScopedDir inGone(gone);
        ASSERT_EQ(rmdir(gone.c_str()), 0);
        EXPECT_EQ(p.SetDefaultDir(tmp.c_str()), BSDL_ERR_DIRECTORY);
        char buf[4096];
        EXPECT_EQ(getcwd(buf, sizeof buf), nullptr);   // still in the removed directory
    }
    EXPECT_EQ(CurrentDir(), start);
}

TEST(Lifecycle, InitializeOpensTheFileAndLoadsTheMessages)
{
    std::string start = CurrentDir();
    LifecycleProbe p;
    EXPECT_EQ(p.GetErrorHandler(), nullptr);

    int loaded = p.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR);
    EXPECT_GE(loaded, 32);
    EXPECT_EQ(CurrentDir(), start);
    ASSERT_NE(p.GetErrorHandler(), nullptr);
    EXPECT_EQ(p.GetErrorHandler()->GetElementCount(), loaded);
    EXPECT_STREQ(p.GetErrorHandler()->GetDefaultDir(), BSCAN_MESSAGE_DIR);
    EXPECT_EQ(p.GetLineNumber(), 0);                 // the pre-pass's lines are not counted
    ASSERT_NE(LifecycleProbe::SharedStream(), nullptr);
    std::string line;
    EXPECT_EQ(p.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, "entity UTILDEV is");
    EXPECT_EQ(p.GetLineNumber(), 2);

    // A directory that cannot be entered changes nothing at all.
    FILE* open = LifecycleProbe::SharedStream();
    EXPECT_EQ(p.Initialize(kSecond.c_str(), "/nonexistent/bscan"), BSDL_ERR_DIRECTORY);
    EXPECT_EQ(LifecycleProbe::SharedStream(), open);
    EXPECT_STREQ(p.m_bsdlFilename, kFirst.c_str());
    EXPECT_EQ(CurrentDir(), start);

    // An empty name re-reads the stored one; no directory means the
    // message file is looked for in the working directory.
    std::string tmp = MakeTempDir();
    {
        ScopedDir inTmp(tmp);
        EXPECT_EQ(p.Initialize("", nullptr), -1);   // the message file's result
        EXPECT_STREQ(p.m_defaultDir, "");
        EXPECT_NE(LifecycleProbe::SharedStream(), nullptr);
        EXPECT_EQ(p.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
        EXPECT_EQ(line, "entity UTILDEV is");
        WriteFile(tmp + "/ErrorList.txt", "1 1 1 only one\n");
        EXPECT_EQ(p.Initialize(nullptr, ""), 1);
    }

    LifecycleProbe named;
    named.SetBSDLFilename(kSecond.c_str());
    named.SetBSDLFilename("");
    named.SetBSDLFilename(nullptr);
    EXPECT_GE(named.Initialize(nullptr, BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(named.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, "entity UTILTWO is");
}

TEST(Lifecycle, InitializeAfterAResetOfADerivedClass)
{
    ResetProbe failing;
    failing.m_result = -5;
    EXPECT_EQ(failing.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), -5);

    // Without an error handler the parser goes on without messages.
    ResetProbe silent;
    EXPECT_EQ(silent.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(silent.GetErrorHandler(), nullptr);
    EXPECT_EQ(silent.Read(), BSDL_OK);
    EXPECT_EQ(silent.ProcessException(1, 8, "nothing to record"), -1);
    EXPECT_EQ(silent.GetPinMap()->GetNumberOfPins(), 4);
}

TEST(Lifecycle, InitializeWithoutAReadableFile)
{
    LifecycleProbe p;
    p.CloseFile();
    EXPECT_EQ(p.Initialize(nullptr, BSCAN_MESSAGE_DIR), BSDL_ERR_PACKAGE_FILE);
    EXPECT_EQ(LifecycleProbe::SharedStream(), nullptr);
    EXPECT_EQ(p.GetErrorHandler(), nullptr);
    EXPECT_EQ(p.Read(), BSDL_ERR_FILE);

    std::string missing = MakeTempDir() + "/missing.bsdl";
    EXPECT_EQ(p.Initialize(missing.c_str(), BSCAN_MESSAGE_DIR), BSDL_ERR_PACKAGE_FILE);
    EXPECT_STREQ(p.m_bsdlFilename, missing.c_str());
    EXPECT_EQ(p.Read(), BSDL_ERR_FILE);
}

TEST(Lifecycle, TwoParsersShareOneStream)
{
    std::string line;
    LifecycleProbe first;
    ASSERT_GE(first.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    {
        LifecycleProbe second;
        ASSERT_GE(second.Initialize(kSecond.c_str(), BSCAN_MESSAGE_DIR), 0);
        // The first parser now reads the second one's file.
        EXPECT_EQ(first.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
        EXPECT_EQ(line, "entity UTILTWO is");
    }
    // Destroying any parser closes the stream for all.
    EXPECT_EQ(LifecycleProbe::SharedStream(), nullptr);
    EXPECT_EQ(first.Read(), BSDL_ERR_FILE);

    ASSERT_GE(first.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    LifecycleProbe other;
    other.CloseFile();
    EXPECT_EQ(first.Read(), BSDL_ERR_FILE);
    other.CloseFile();                              // nothing open: nothing happens
}

TEST(Lifecycle, SecondInitializeAddsToTheModelAndRestartsCounting)
{
    LifecycleProbe p;
    ASSERT_GE(p.Initialize(kFirst.c_str(), BSCAN_MESSAGE_DIR), 0);
    ASSERT_EQ(p.Read(), BSDL_OK);
    ASSERT_NE(p.GetPinMap(), nullptr);
    EXPECT_EQ(p.GetPinMap()->GetNumberOfPins(), 4);
    EXPECT_STREQ(p.GetComponentName(), "UTILDEV");
    EXPECT_STREQ(p.GetPackageType(), "dip8");
    EXPECT_GT(p.GetLineNumber(), 10);
    BScanPinMap* pinMap = p.GetPinMap();
    p.GetErrorHandler()->SetErrorOccured("from the first reading");

    ASSERT_GE(p.Initialize(kSecond.c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(p.GetLineNumber(), 0);
    EXPECT_EQ(p.GetErrorHandler()->GetErrorCount(), 0);   // a new handler
    ASSERT_EQ(p.Read(), BSDL_OK);
    EXPECT_EQ(p.GetPinMap(), pinMap);
    EXPECT_EQ(p.GetPinMap()->GetNumberOfPins(), 5);
    EXPECT_STREQ(p.GetPinMap()->GetPortName(5), "E");
    EXPECT_STREQ(p.GetPinMap()->GetPortName(1), "A");
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
    original->m_pinNameParts.emplace_back("AB", 3);
    original->GetErrorHandler()->SetErrorOccured("kept");

    LifecycleProbe copy(*original);
    EXPECT_NE(copy.GetPinMap(), original->GetPinMap());
    EXPECT_NE(copy.GetErrorHandler(), original->GetErrorHandler());
    EXPECT_NE(copy.GetComponentName(), original->GetComponentName());
    EXPECT_NE(copy.m_presetValues, original->m_presetValues);
    EXPECT_EQ(copy.m_presetCount, 3);
    EXPECT_EQ(copy.m_presetValues[1], 1);
    EXPECT_EQ(copy.GetLineNumber(), original->GetLineNumber());
    EXPECT_EQ(copy.m_pinNameParts, original->m_pinNameParts);

    LifecycleProbe assigned;
    assigned.SetComponentName("OLD");
    assigned = copy;
    assigned = *&assigned;                          // self-assignment keeps everything
    EXPECT_STREQ(assigned.GetComponentName(), "UTILDEV");

    original.reset();                               // also closes the shared stream
    for (LifecycleProbe* p : {&copy, &assigned}) {
        ASSERT_NE(p->GetPinMap(), nullptr);
        EXPECT_EQ(p->GetPinMap()->GetNumberOfPins(), 4);
        EXPECT_STREQ(p->GetPinMap()->GetPortName(3), "D");
        EXPECT_STREQ(p->GetPackageType(), "dip8");
        EXPECT_STREQ(p->GetDifferentialPair(0)->GetPositiveElement(), "A");
        EXPECT_STREQ(p->GetErrorHandler()->GetError(0), "kept");
        EXPECT_GE(p->GetErrorHandler()->GetElementCount(), 32);
    }
    EXPECT_NE(assigned.GetPinMap(), copy.GetPinMap());
    EXPECT_EQ(LifecycleProbe::SharedStream(), nullptr);
}

TEST(Lifecycle, ProcessExceptionRecordsTheMessage)
{
    LifecycleProbe p;
    EXPECT_EQ(p.ProcessException(1, 1, "no handler yet"), -1);

    std::string dir = MakeTempDir();
    WriteFile(dir + "/ErrorList.txt",
              "1 8 8 Line %d, column %d: bad value.\n"
              "3 1 77 100%% at %d\n"
              "3 2 5\n");
    ASSERT_EQ(p.Initialize(kFirst.c_str(), dir.c_str()), 3);
    std::string line;
    ASSERT_EQ(p.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
    ASSERT_EQ(p.GetLine(LifecycleProbe::SharedStream(), line, nullptr), BSDL_OK);
    ErrorHandler* log = p.GetErrorHandler();

    EXPECT_EQ(p.ProcessException(9, 9, "context"), -1);
    EXPECT_STREQ(log->GetError(0), "\ncontext\nXML Parser Error At Line 3, Column 0.");
    EXPECT_EQ(p.ProcessException(9, 9, nullptr), -1);
    EXPECT_STREQ(log->GetError(1), "\nXML Parser Error At Line 3, Column 0.");
    EXPECT_EQ(p.ProcessException(1, 8, "ctx"), 8);
    EXPECT_STREQ(log->GetError(2), "\nctx\nLine 3, column 0: bad value.");
    EXPECT_EQ(p.ProcessException(3, 1, nullptr), 77);
    EXPECT_STREQ(log->GetError(3), "\n100% at 3");
    EXPECT_EQ(p.ProcessException(3, 2, "t"), 5);
    EXPECT_STREQ(log->GetError(4), "\nt\n");

    // Identifiers are cut to 16 bits; counters show their low 32 bits.
    p.m_lineNumber = (1LL << 32) + 5;
    EXPECT_EQ(p.ProcessException(0x10001, 0x10008UL, nullptr), 8);
    EXPECT_STREQ(log->GetError(5), "\nLine 5, column 0: bad value.");
    EXPECT_EQ(log->GetErrorCount(), 6);

    EXPECT_EQ(p.Reset(), 0);
    EXPECT_EQ(p.GetLineNumber(), 0);
    ASSERT_NE(p.GetErrorHandler(), nullptr);
    EXPECT_EQ(p.GetErrorHandler()->GetErrorCount(), 0);
}

TEST(Lifecycle, DifferentialPairsAndTextSetters)
{
    LifecycleProbe p;
    EXPECT_EQ(p.GetDifferentialPair(0), nullptr);
    p.m_differentialPairs.resize(2);
    p.m_differentialPairs[1].SetNegativeElement("N");
    EXPECT_EQ(p.GetDifferentialPairCount(), 2);
    EXPECT_EQ(p.GetDifferentialPair(-1), nullptr);
    EXPECT_EQ(p.GetDifferentialPair(2), nullptr);
    ASSERT_NE(p.GetDifferentialPair(1), nullptr);
    EXPECT_STREQ(p.GetDifferentialPair(1)->GetNegativeElement(), "N");
    EXPECT_EQ(&p.GetDifferentialPairList(), &p.m_differentialPairs);
    p.ClearDifferentialPairList();
    EXPECT_EQ(p.GetDifferentialPairCount(), 0);

    EXPECT_EQ(p.GetComponentName(), nullptr);
    p.SetComponentName("CHIP");
    p.SetComponentName(nullptr);
    EXPECT_STREQ(p.GetComponentName(), "CHIP");
    p.SetPackageType("TQFP144");                     // stored as given
    EXPECT_STREQ(p.GetPackageType(), "TQFP144");
}
