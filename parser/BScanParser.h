// BScanParser reads one BSDL file into the device model.
//
// A host creates a parser, optionally presets cell values
// (SetBSCANBitArray), calls Initialize(file, directory of ErrorList.txt),
// then Read(), and works with the model through GetPinMap(),
// GetInstructionRegisterDescription(), GetRegisterAccessDescription() and
// the differential-pair accessors. Including this header gives every class
// of the library.
//
// There is one input stream for the whole library, shared by every parser:
// Initialize of any parser opens the file into it (closing whatever was
// open), Read of any parser reads from it, CloseFile or the destruction of
// any parser closes it. Only one parser at a time may be between Initialize
// and the end of its Read.
//
// Copying is deep: a copied or assigned parser owns its own pin map,
// descriptions, package list, error handler, presets and texts; the shared
// input stream is not copied.
//
// The readers have no length limits of their own; the char* forms of the
// statement reader are kept for derived classes and need the caller's
// buffer to hold the whole statement. Ceilings far above any real device
// refuse absurd declarations: a BOUNDARY_LENGTH above
// BSCAN_MAX_BOUNDARY_LENGTH (BSDL_ERR_BAD_VALUE) and a port declaration
// that would take the pin map above BSCAN_MAX_PORT_NODES nodes
// (BSDL_ERR_NO_MEMORY), both in model/BScanPinMap.h.
#ifndef BSCAN_BSCANPARSER_H
#define BSCAN_BSCANPARSER_H

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "model/BScanPinMap.h"
#include "model/CDifferentialPair.h"
#include "model/CInstrOpcode.h"
#include "model/CRegister.h"
#include "model/KBScanCell.h"
#include "model/KPinNode.h"
#include "model/Signals.h"
#include "parser/BScanReturnCodes.h"
#include "util/BScanExport.h"
#include "util/ErrorHandler.h"
#include "util/KByteBuffer.h"
#include "util/KObjList.h"
#include "util/KObject.h"
#include "util/KString.h"
#include "util/KUtilString.h"

class BSCAN_API BScanParser {
public:
    BScanParser();
    BScanParser(const BScanParser& other);
    BScanParser& operator=(const BScanParser& other);
    ~BScanParser();

    // When no error handler can be made, Initialize goes on without
    // messages and returns 0 instead of loading the message file.
    int Initialize(const char* bsdlFile, const char* defaultDir);
    int Read();
    void CloseFile();
    void SetBSDLFilename(const char* name);
    int SetDefaultDir(const char* dir);

    BScanPinMap* GetPinMap() const;
    const CInstrRegisterDesc* GetInstructionRegisterDescription() const;
    const CRegisterAccessDesc* GetRegisterAccessDescription() const;
    char* GetPackageType();
    ErrorHandler* GetErrorHandler();
    CDifferentialPair* GetDifferentialPair(int index);
    int GetDifferentialPairCount() const;
    const std::deque<CDifferentialPair>& GetDifferentialPairList() const;
    void ClearDifferentialPairList();
    // Cell presets for the next BOUNDARY_REGISTER reading: one value byte and
    // one mask byte per cell number (value 0 gives SIGNAL_LOW, 1 SIGNAL_HIGH,
    // anything else SIGNAL_X; a mask byte 0 gives SIGNAL_X). Each call
    // replaces both arrays; a null mask means all 0xFF. A negative count is
    // taken as 0; null values with a positive count preset every value byte
    // to 0. Cells numbered count or higher take their safe value. Returns 0,
    // or BSDL_ERR_NO_MEMORY (old presets kept) when the arrays cannot be made.
    int SetBSCANBitArray(unsigned char* values, int count, unsigned char* mask);

    const char* GetComponentName() const;          // the entity name, null before it is read
    long long GetLineNumber() const;               // physical lines read since the last Reset

protected:
    virtual int Reset();
    int ProcessException(int id, unsigned long subId, const char* text);
    void SetComponentName(const char* name);
    void SetPackageType(const char* type);

    // Statement reader, growable forms (used by the library's readers).
    int GetLine(FILE* file, std::string& line, std::string* comment);
    int CompleteStatement(FILE* file, std::string& statement, const char* terminator);
    int CompleteStatement(FILE* file, std::string& statement);
    int CompleteStatement(FILE* file, std::string& statement, char terminator);
    int CompleteStatementWithOneOf(FILE* file, std::string& statement, const char* terminators);
    int GetCompleteStringValue(FILE* file, const char* text, KByteBuffer* buffer, bool keepComments);

    // Statement reader, buffer forms for derived classes. `line` must hold
    // 255 bytes and `comment` 256 (a comment of a full 254-character read
    // plus its "*" marker); `statement` must hold the completed statement
    // (the operations append without a bound). A null `line` or
    // `statement` gives BSDL_ERR_NO_BUFFER.
    int GetLine(FILE* file, char* line, char* comment);
    int CompleteStatement(FILE* file, char* statement, char* terminator);
    int CompleteStatement(FILE* file, char* statement);
    int CompleteStatement(FILE* file, char* statement, char terminator);
    int CompleteStatementWithOneOf(FILE* file, char* statement, char* terminators);

    // Entity level.
    int ReadEntity(FILE* file, char* line);
    int ReadGeneric(FILE* file, char* text);
    int ReadPort(FILE* file, char* line);
    int CreatePort(char* declaration);
    int ReadConstant(FILE* file, char* line);

    // Attributes.
    int ReadAttribute(FILE* file, char* line);
    int ReadBSCANBoundaryLength(FILE* file, char* statement);
    int ReadBSCANBoundaryRegister(FILE* file, char* statement);
    int ReadBSCANPinMap(FILE* file, char* statement);
    int MapPinNametoPinNumber(char* pinName);
    int ReadPackageDB(char* path);
    int ReadInstructionLength(FILE* file, char* statement);
    int ReadInstructionOpcode(FILE* file, char* statement);
    int ReadInstructionCapture(FILE* file, char* statement);
    int ReadRegisterAccess(FILE* file, char* statement);
    int ReadPortGroupingAttribute(FILE* file, const char* statement);

    // The library's one shared input stream (null when closed). The
    // library reads it ahead in blocks of its own: read it only through the
    // readers above (any other stream handed to them is read one fgets per
    // read).
    static FILE* SharedStream();

    std::vector<std::pair<std::string, uint16_t>> m_pinNameParts;
    ErrorHandler* m_errorHandler = nullptr;
    std::deque<CDifferentialPair> m_differentialPairs;
    char* m_bsdlFilename = nullptr;
    char* m_defaultDir = nullptr;
    long long m_lineNumber = 0;
    long long m_columnNumber = 0;
    BScanPinMap* m_pinMap = nullptr;
    char* m_componentName = nullptr;
    KObjList* m_packagePinMaps = nullptr;
    char* m_packageType = nullptr;
    unsigned char* m_presetValues = nullptr;
    unsigned char* m_presetMask = nullptr;
    int m_presetCount = 0;                          // number of cells the presets cover
    CInstrRegisterDesc* m_instrRegisterDesc = nullptr;
    CRegisterAccessDesc* m_registerAccessDesc = nullptr;

private:
    // Character classes, 1 or 0 (the classes of util/CharClassInternal.h).
    int IsChar(char c);
    int IsDigit(char c);
    int IsLetter(char c);
    int IsNewLine(char c);
    int IsWhiteSpace(char c);
    // Releases the error handler.
    void ClearBuffers();
    // Deletes a package list and the packages in it.
    static void DeletePackages(KObjList* packages);
    void CopyFrom(const BScanParser& other);
    void ReleaseAll();
};

#endif
