#pragma once
#include "KVException.h"

#include <string>
#include <vector>

// An ordered list of recorded failures. Library operations record what went
// wrong here and return false instead of throwing.
class KVErrorList {
public:
    KVErrorList() = default;
    KVErrorList(const KVErrorList&) = default;
    KVErrorList(KVErrorList&&) noexcept = default;
    KVErrorList& operator=(const KVErrorList&) = default;
    KVErrorList& operator=(KVErrorList&&) noexcept = default;
    virtual ~KVErrorList() = default;

    void AddError(const KVException& e) { m_errors.push_back(e); }
    void AddError(std::string message, std::string scope)
    {
        m_errors.emplace_back(std::move(message), std::move(scope));
    }
    void ClearErrors() { m_errors.clear(); }
    // Appends every error of other, in order (other may be this list).
    void AppendErrors(const KVErrorList& other);
    // Clears, then appends every error of other.
    void AssignErrors(const KVErrorList& other);

    int ErrorCount() const { return static_cast<int>(m_errors.size()); }
    // The texts of error i, or an empty text when i is out of range.
    std::string ErrorMessage(int i) const;
    std::string ErrorScope(int i) const;
    const std::vector<KVException>& Errors() const { return m_errors; }

private:
    std::vector<KVException> m_errors;
};
