#include "KVSignal.h"

#include <algorithm>
#include <cmath>
#include <ctime>

int KVCurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

KVSignal::KVSignal() { Reset(); }

KVSignal::~KVSignal() = default;

KVSignal::KVSignal(const KVSignal& other) : KVErrorList(other)
{
    if (other.m_hasData) {
        m_h = other.m_h;
        CopyArrays(other);
        m_hasData = true;
    }
}

KVSignal& KVSignal::operator=(const KVSignal& other)
{
    if (&other == this)
        return *this;
    if (other.m_hasData) {
        m_h = other.m_h;
        CopyArrays(other);
        m_hasData = true;
    } else {
        m_hasData = false;
    }
    AssignErrors(other);
    return *this;
}

KVSignal::KVSignal(KVSignal&& other) noexcept
    : KVErrorList(std::move(other)), m_h(std::move(other.m_h)), m_x(std::move(other.m_x)),
      m_y(std::move(other.m_y)), m_count(other.m_count), m_hasData(other.m_hasData)
{
    other.m_count = 0;
    other.m_hasData = false;
}

KVSignal& KVSignal::operator=(KVSignal&& other) noexcept
{
    if (&other == this)
        return *this;
    KVErrorList::operator=(std::move(other));
    m_h = std::move(other.m_h);
    m_x = std::move(other.m_x);
    m_y = std::move(other.m_y);
    m_count = other.m_count;
    m_hasData = other.m_hasData;
    other.m_count = 0;
    other.m_hasData = false;
    return *this;
}

void KVSignal::Reset() { m_h = KVHeader{}; }

void KVSignal::CopyHeaderAndData(const KVSignal& other)
{
    if (&other == this)
        return;
    m_h = other.m_h;
    CopyArrays(other);
}

void KVSignal::CopyArrays(const KVSignal& other)
{
    FreeData();
    if (other.m_count == 0)
        return;
    Allocate(other.m_count);
    std::copy_n(other.m_x.get(), m_count, m_x.get());
    std::copy_n(other.m_y.get(), m_count, m_y.get());
}

bool KVSignal::Allocate(size_t n)
{
    FreeData();
    if (n == 0)
        return false;
    m_x.reset(new float[n]);
    m_y.reset(new float[n]);
    m_count = n;
    return true;
}

void KVSignal::FreeData()
{
    m_x.reset();
    m_y.reset();
    m_count = 0;
}

void KVSignal::ShrinkTo(size_t n)
{
    if (n == 0) {
        FreeData();
        return;
    }
    if (n < m_count)
        m_count = n;
}

void KVSignal::UpdateExtremes()
{
    if (m_count == 0)
        return;
    m_h.XMax = m_h.XMin = m_x[0];
    m_h.YMax = m_h.YMin = m_y[0];
    for (size_t i = 0; i < m_count; ++i) {
        if (m_x[i] > m_h.XMax)
            m_h.XMax = m_x[i];
        else if (m_x[i] < m_h.XMin)
            m_h.XMin = m_x[i];
        if (m_y[i] > m_h.YMax)
            m_h.YMax = m_y[i];
        else if (m_y[i] < m_h.YMin)
            m_h.YMin = m_y[i];
    }
}

void KVSignal::UpdateTimeStep()
{
    if (m_count < 2)
        return;
    m_h.Del = m_x[1] - m_x[0];
    for (size_t i = 2; i < m_count; ++i) {
        const float d = m_x[i] - m_x[i - 1];
        if (std::fabs(d - m_h.Del) > std::fabs(0.01f * d))
            m_h.Del = KV_NO_VALUE;
    }
}
