// One differential port pair: the two port names and the boundary-cell
// positions matched to them (-1 while unmatched).
#include "model/CDifferentialPair.h"

#include "model/ValueCopyInternal.h"

using value_copy::StoreText;

CDifferentialPair::~CDifferentialPair() = default;

void CDifferentialPair::SetPositiveElement(const char* name)
{
    StoreText(m_positiveElement, name);
}

const char* CDifferentialPair::GetPositiveElement() const
{
    return m_positiveElement.c_str();
}

void CDifferentialPair::SetNegativeElement(const char* name)
{
    StoreText(m_negativeElement, name);
}

const char* CDifferentialPair::GetNegativeElement() const
{
    return m_negativeElement.c_str();
}

void CDifferentialPair::SetPositiveBScanPosition(int position)
{
    m_positiveBScanPosition = position;
}

int CDifferentialPair::GetPositiveBScanPosition() const
{
    return m_positiveBScanPosition;
}

void CDifferentialPair::SetNegativeBScanPosition(int position)
{
    m_negativeBScanPosition = position;
}

int CDifferentialPair::GetNegativeBScanPosition() const
{
    return m_negativeBScanPosition;
}
