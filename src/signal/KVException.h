#pragma once
#include <string>
#include <utility>

// Error object of the signal library: a message and the scope that raised it,
// such as "CRVFFile::ReadFirstRecord" or "Kalvio::BWfilt".
class KVException {
public:
    KVException(std::string message, std::string scope)
        : m_message(std::move(message)), m_scope(std::move(scope)) {}

    const std::string& Message() const { return m_message; }
    const std::string& Scope() const { return m_scope; }

private:
    std::string m_message;
    std::string m_scope;
};
