#include "model/BScanPinMap.h"

#include "model/PinMapIndex.h"

BScanPinMap::BScanPinMap()
    : m_bscanBitArray(nullptr), m_pinList(new KObjList), m_bscanCellTable(nullptr),
      m_bscanLength(0), m_defaultDir(nullptr), m_index(nullptr) {}
BScanPinMap::BScanPinMap(const BScanPinMap&) : BScanPinMap() {}
BScanPinMap& BScanPinMap::operator=(const BScanPinMap&) { return *this; }
BScanPinMap::~BScanPinMap() { Release(); }
void BScanPinMap::CopyFrom(const BScanPinMap&) {}
void BScanPinMap::Release() {}
void BScanPinMap::AddNewPorts(char*, char*, int, int) {}
void BScanPinMap::AddNewPorts(char*, char*, int, bool) {}
int BScanPinMap::GetNumberOfPins() const { return 0; }
const KObjList* BScanPinMap::GetPinListArray() const { return m_pinList; }
KPinNode* BScanPinMap::GetPort(int) { return nullptr; }
KPinNode* BScanPinMap::GetPort(char*, int) { return nullptr; }
KPinNode* BScanPinMap::GetPortwName(char*) { return nullptr; }
KPinNode* BScanPinMap::GetPort(const char*) { return nullptr; }
int BScanPinMap::GetPinNumber(const char*) { return -1; }
int BScanPinMap::GetPinNumberwPortName(char*) { return -1; }
int BScanPinMap::GetPinIndexwPortName(char*) { return -1; }
const char* BScanPinMap::GetPinName(int) { return nullptr; }
const char* BScanPinMap::GetPortName(int) { return nullptr; }
PortType BScanPinMap::GetPortType(int) { return PORT_NONE; }
PortType BScanPinMap::GetPortDirection(int) { return PORT_NONE; }
eSignal BScanPinMap::GetPortValue(int) { return SIGNAL_X; }
bool BScanPinMap::IsPositiveElement(int) { return false; }
bool BScanPinMap::IsNegativeElement(int) { return false; }
void BScanPinMap::SerialSetPinName(char*, int, char*) {}
void BScanPinMap::SerialSetPinNumber(char*, int, int) {}
void BScanPinMap::SetPinNumber(char*, int, int) {}
void BScanPinMap::ResetAllPort() {}
void BScanPinMap::SetIOName(const char* const) {}
const char* BScanPinMap::GetIOName(int) const { return nullptr; }
int BScanPinMap::GetIOTypeCount() const { return 0; }
void BScanPinMap::SetDefaultDir(char*) {}
char* BScanPinMap::GetDefaultDir() const { return m_defaultDir; }
