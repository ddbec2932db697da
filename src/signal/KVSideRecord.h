#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Header lines of a file kind richer than the record (an ISO-MME test), kept
// in file order with repeated names, so that writing that kind back loses
// nothing the record has no field for. Empty for every other kind.
struct KVSideRecord {
    using Lines = std::vector<std::pair<std::string, std::string>>;

    // Lines that every channel of one test holds alike (a test file may have
    // 200,000 lines): one copy shared, read only; assigning replaces it.
    class SharedLines {
    public:
        SharedLines() = default;
        SharedLines(Lines lines) : m_lines(std::make_shared<const Lines>(std::move(lines))) {}
        explicit SharedLines(std::shared_ptr<const Lines> lines) : m_lines(std::move(lines)) {}

        const Lines& Get() const { return m_lines ? *m_lines : Empty(); }
        operator const Lines&() const { return Get(); }
        Lines::const_iterator begin() const { return Get().begin(); }
        Lines::const_iterator end() const { return Get().end(); }
        bool empty() const { return Get().empty(); }
        size_t size() const { return Get().size(); }
        const Lines::value_type& back() const { return Get().back(); }
        bool operator==(const SharedLines& other) const { return Get() == other.Get(); }

    private:
        static const Lines& Empty()
        {
            static const Lines none;
            return none;
        }
        std::shared_ptr<const Lines> m_lines;
    };

    SharedLines testLines; // the test file's lines (name, value)
    Lines channelLines;    // the channel file's header lines (name, value)

    bool Empty() const { return testLines.empty() && channelLines.empty(); }
    bool operator==(const KVSideRecord&) const = default;
};
