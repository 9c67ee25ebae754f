// The parser object: construction, deep copies, destruction, the shared
// input stream, file handling, Reset, accessors and ProcessException.
//
// Should memory run out while copying a parser, the parts that could not
// be copied stay empty (null) rather than shared. SetDefaultDir enters no
// directory when the working directory cannot be read (there would be no
// way back): BSDL_ERR_DIRECTORY.
#include "parser/BScanParser.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "parser/PackagePinMap.h"
#include "parser/StatementReaderInternal.h"
#include "util/AccelerateInternal.h"
#include "util/Platform.h"

namespace {

// The library's one input stream, shared by every parser object.
FILE* g_sharedStream = nullptr;

const char* const kMessageFile = "ErrorList.txt";
const int kMessageFields = 3;

// Replaces an owned text by a copy of `text`; a null text changes nothing,
// and so does a copy that cannot be made.
void ReplaceText(char*& field, const char* text)
{
    char* copy = util_strdup(text);
    if (!copy)
        return;
    delete[] field;
    field = copy;
}

template <class T>
T* CloneOf(const T* source)
{
    if (!source)
        return nullptr;
    try {
        return new T(*source);
    } catch (const std::exception&) {
        return nullptr;
    }
}

// A copy of a container, or an empty one when it cannot be made.
template <class Container>
void CopyOrClear(Container& field, const Container& source)
{
    try {
        field = source;
    } catch (const std::exception&) {
        field.clear();
    }
}

unsigned char* CloneBytes(const unsigned char* source, size_t size)
{
    if (!source)
        return nullptr;
    unsigned char* copy = new (std::nothrow) unsigned char[size];
    if (copy)
        std::memcpy(copy, source, size);
    return copy;
}

// The low 32 bits of a counter, as a message shows it.
int MessageNumber(long long value)
{
    return static_cast<int>(static_cast<uint32_t>(static_cast<unsigned long long>(value)));
}

// printf into a growable text; `format` is checked by the error handler
// (plain text, "%%" and at most two "%d").
#if defined(__GNUC__)
#  pragma GCC diagnostic push
#  pragma GCC diagnostic ignored "-Wformat-nonliteral"
#  pragma GCC diagnostic ignored "-Wformat-security"
#endif
bool FormatTwoNumbers(std::string& out, const char* format, int first, int second)
{
    int size = std::snprintf(nullptr, 0, format, first, second);
    if (size < 0)
        return false;
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, first, second);
    text.resize(static_cast<size_t>(size));
    out += text;
    return true;
}
#if defined(__GNUC__)
#  pragma GCC diagnostic pop
#endif

}  // namespace

// --- construction, copying, destruction --------------------------------

BScanParser::BScanParser() = default;

BScanParser::BScanParser(const BScanParser& other) : BScanParser()
{
    CopyFrom(other);
}

BScanParser& BScanParser::operator=(const BScanParser& other)
{
    if (this != &other) {
        ReleaseAll();
        CopyFrom(other);
    }
    return *this;
}

BScanParser::~BScanParser()
{
    ReleaseAll();
    CloseFile();
}

// Fills this (empty) parser with copies of everything `other` owns.
void BScanParser::CopyFrom(const BScanParser& other)
{
    CopyOrClear(m_pinNameParts, other.m_pinNameParts);
    CopyOrClear(m_differentialPairs, other.m_differentialPairs);
    m_errorHandler = CloneOf(other.m_errorHandler);
    m_bsdlFilename = util_strdup(other.m_bsdlFilename);
    m_defaultDir = util_strdup(other.m_defaultDir);
    m_lineNumber = other.m_lineNumber;
    m_columnNumber = other.m_columnNumber;
    m_pinMap = CloneOf(other.m_pinMap);
    m_componentName = util_strdup(other.m_componentName);
    m_packageType = util_strdup(other.m_packageType);

    if (other.m_packagePinMaps) {
        m_packagePinMaps = new (std::nothrow) KObjList;
        for (int i = 0; m_packagePinMaps && i < other.m_packagePinMaps->GetCount(); ++i) {
            const auto* package = static_cast<const PackagePinMap*>(other.m_packagePinMaps->GetAt(i));
            PackagePinMap* copy = CloneOf(package);
            if (!copy)
                continue;
            try {
                m_packagePinMaps->AddTail(copy);
            } catch (const std::exception&) {
                delete copy;
            }
        }
    }

    // Both preset arrays hold m_presetCount + 1 bytes.
    size_t presetSize = static_cast<size_t>(other.m_presetCount > 0 ? other.m_presetCount : 0) + 1;
    m_presetValues = CloneBytes(other.m_presetValues, presetSize);
    m_presetMask = CloneBytes(other.m_presetMask, presetSize);
    m_presetCount = other.m_presetCount;

    m_instrRegisterDesc = CloneOf(other.m_instrRegisterDesc);
    m_registerAccessDesc = CloneOf(other.m_registerAccessDesc);
}

// Releases everything the parser owns and leaves every field empty. The
// shared stream is not the parser's and stays as it is.
void BScanParser::ReleaseAll()
{
    delete[] std::exchange(m_packageType, nullptr);
    delete[] std::exchange(m_bsdlFilename, nullptr);
    delete[] std::exchange(m_defaultDir, nullptr);
    delete std::exchange(m_pinMap, nullptr);
    delete[] std::exchange(m_componentName, nullptr);
    ClearBuffers();
    DeletePackages(std::exchange(m_packagePinMaps, nullptr));
    delete[] std::exchange(m_presetValues, nullptr);
    delete[] std::exchange(m_presetMask, nullptr);
    m_presetCount = 0;
    delete std::exchange(m_instrRegisterDesc, nullptr);
    delete std::exchange(m_registerAccessDesc, nullptr);
    m_pinNameParts.clear();
    m_differentialPairs.clear();
    m_lineNumber = 0;
    m_columnNumber = 0;
}

void BScanParser::ClearBuffers()
{
    delete std::exchange(m_errorHandler, nullptr);
}

void BScanParser::DeletePackages(KObjList* packages)
{
    while (packages && !packages->IsEmpty())
        delete packages->RemoveTail();
    delete packages;
}

// --- the shared input stream and file handling -------------------------

FILE* BScanParser::SharedStream()
{
    return g_sharedStream;
}

void BScanParser::CloseFile()
{
    if (g_sharedStream) {
        std::fclose(g_sharedStream);
        g_sharedStream = nullptr;
        ShareReadBlock(nullptr);
    }
}

void BScanParser::SetBSDLFilename(const char* name)
{
    if (name && *name)
        ReplaceText(m_bsdlFilename, name);
}

// Tests the directory by entering it, and always returns to the working
// directory it was called in.
int BScanParser::SetDefaultDir(const char* dir)
{
    if (!dir || !*dir) {
        ReplaceText(m_defaultDir, "");
        return BSDL_OK;
    }

    std::string saved;
    try {
        if (!bscan_platform::GetWorkingDir(saved))
            return BSDL_ERR_DIRECTORY;
    } catch (const std::exception&) {
        return BSDL_ERR_DIRECTORY;
    }

    bool entered = bscan_platform::ChangeDir(dir);
    bscan_platform::ChangeDir(saved.c_str());
    if (!entered)
        return BSDL_ERR_DIRECTORY;

    ReplaceText(m_defaultDir, dir);
    return BSDL_OK;
}

int BScanParser::Initialize(const char* bsdlFile, const char* defaultDir)
{
    int result = SetDefaultDir(defaultDir);
    if (result < 0)
        return result;

    if (bsdlFile && *bsdlFile)
        ReplaceText(m_bsdlFilename, bsdlFile);

    result = ReadPackageDB(m_bsdlFilename);
    if (result < 0)
        return result;

    CloseFile();
    if (!m_bsdlFilename)
        return BSDL_ERR_FILE;
    g_sharedStream = std::fopen(m_bsdlFilename, "r");
    if (!g_sharedStream)
        return BSDL_ERR_FILE;
    ShareReadBlock(bscan_accelerate::On() ? g_sharedStream : nullptr);

    result = Reset();
    if (result < 0)
        return result;

    if (!m_errorHandler)
        return BSDL_OK;
    m_errorHandler->SetDefaultDir(defaultDir);
    return m_errorHandler->Initialize(kMessageFile, kMessageFields);
}

int BScanParser::Reset()
{
    m_lineNumber = 0;
    m_columnNumber = 0;
    delete m_errorHandler;
    m_errorHandler = new (std::nothrow) ErrorHandler;
    return BSDL_OK;
}

// --- accessors ---------------------------------------------------------

BScanPinMap* BScanParser::GetPinMap() const
{
    return m_pinMap;
}

const CInstrRegisterDesc* BScanParser::GetInstructionRegisterDescription() const
{
    return m_instrRegisterDesc;
}

const CRegisterAccessDesc* BScanParser::GetRegisterAccessDescription() const
{
    return m_registerAccessDesc;
}

char* BScanParser::GetPackageType()
{
    return m_packageType;
}

ErrorHandler* BScanParser::GetErrorHandler()
{
    return m_errorHandler;
}

const char* BScanParser::GetComponentName() const
{
    return m_componentName;
}

long long BScanParser::GetLineNumber() const
{
    return m_lineNumber;
}

void BScanParser::SetComponentName(const char* name)
{
    ReplaceText(m_componentName, name);
}

void BScanParser::SetPackageType(const char* type)
{
    ReplaceText(m_packageType, type);
}

CDifferentialPair* BScanParser::GetDifferentialPair(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_differentialPairs.size())
        return nullptr;
    return &m_differentialPairs[static_cast<size_t>(index)];
}

int BScanParser::GetDifferentialPairCount() const
{
    return static_cast<int>(m_differentialPairs.size());
}

const std::deque<CDifferentialPair>& BScanParser::GetDifferentialPairList() const
{
    return m_differentialPairs;
}

void BScanParser::ClearDifferentialPairList()
{
    m_differentialPairs.clear();
}

// --- messages ----------------------------------------------------------

// Records a message for (id, subId) with the current line and column.
// Without a catalogue record the message names the position in a fixed
// sentence and the result is -1; with one, the record's text is the format
// of the two numbers and its result number is returned. Without an error
// handler nothing can be recorded and the result is -1.
int BScanParser::ProcessException(int id, unsigned long subId, const char* text)
{
    if (!m_errorHandler)
        return -1;
    int line = MessageNumber(m_lineNumber);
    int column = MessageNumber(m_columnNumber);
    try {
        std::string message("\n");
        if (text) {
            message += text;
            message += '\n';
        }
        const ErrorElement* element = m_errorHandler->GetErrorElement(
            static_cast<uint16_t>(id), static_cast<uint16_t>(subId));
        const char* format =
            element ? element->GetErrorMessage() : "XML Parser Error At Line %d, Column %d.";
        if (!FormatTwoNumbers(message, format ? format : "", line, column))
            return -1;
        m_errorHandler->SetErrorOccured(message.c_str());
        return element ? static_cast<int>(element->GetResultNumber()) : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

int BScanParser::IsChar(char c)
{
    return bscan_util::IsText(c) ? 1 : 0;
}

int BScanParser::IsDigit(char c)
{
    return bscan_util::IsDigit(c) ? 1 : 0;
}

int BScanParser::IsLetter(char c)
{
    return bscan_util::IsLetter(c) ? 1 : 0;
}

int BScanParser::IsNewLine(char c)
{
    return (c == '\r' || c == '\n') ? 1 : 0;
}

int BScanParser::IsWhiteSpace(char c)
{
    return bscan_util::IsSpace(c) ? 1 : 0;
}
