#pragma once
// How the file list groups and filters channels, without a widget: a channel
// by its code under test object, position and body region; a filter text as
// a code pattern or as words of the name.
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// One listed name as the tree and the filter see it.
struct CChannelItem {
    QString name;  // the list name the document loads it by
    QString code;  // the 16-character channel code; empty for a file without one
    QString title; // the channel's name; the file name for a file without a code
    QString test;  // the test it belongs to; empty for none
    QStringList groups = {}; // a simulation's channel: its file, result file and id
};

// The groups above item in the tree, outermost first: the test (when several
// are listed), the test object ("1 Vehicle 1"), the position ("1 Front left")
// and the body region (the code's main location). A simulation's channel has
// its own groups: the file, the result file and the id with its title.
// Empty for a file without a code.
QStringList ChannelGroupPath(const CChannelItem& item, bool severalTests);

// Whether item passes the filter. A filter with ? or * is a pattern of the
// whole code (of the file name where there is no code); other text is words
// that must all occur in the code, the name or the file name. Letter case is
// ignored; an empty filter passes everything.
bool ChannelMatches(const CChannelItem& item, const QString& filter);

// The code's position character (1..9, A..Z) of a dummy channel, else a null char.
QChar DummyPosition(const QString& code);
// "1 Front left" for position character p.
QString PositionLabel(QChar p);

// The channel code a file name carries, as the toolset names a channel's file
// (CODE.rvf, "_" for an unknown character, CODE_2.rvf for a code taken), with
// "?" for "_"; empty for any other name.
QString CodeOfFileName(const QString& name);

// The codes the headers of RVF-1992 files give: the code the toolset writes
// the file's channel to ISO-MME with, built from its location, occupant,
// quantity, axis and filter class. A header that names no location or no
// quantity gives none. Each file is read once, and again when it changed:
// its size and time are looked at once per listing.
class CHeaderCodes {
public:
    // The code, curve text and test number of the file called name; an empty
    // code for a file that is no RVF-1992 file or whose header gives none.
    const CChannelItem& Of(const QString& name);
    // The list was made anew: files are looked at again (a filter typed into
    // the same list is no new listing, and costs no file system call).
    void NewListing() { ++m_listing; }

private:
    struct Known {
        qint64 size = -1;
        qint64 modified = 0; // ms since the epoch
        int listing = -1;    // the listing it was last looked at in
        CChannelItem item;
    };
    QHash<QString, Known> m_known;
    int m_listing = 0;
};

// The code an RVF-1992 file's header gives, as CHeaderCodes::Of does, without
// remembering it; title gets the curve text, test (if given) the test number.
QString CodeOfRvfHeader(const QString& name, QString& title, QString* test = nullptr);

class COndrelDoc;
// The document's listed names as items, in list order: a test's channels by
// their listing, other files by the code their name carries, else (given
// headers) the code their RVF-1992 header gives, if any.
std::vector<CChannelItem> ListedChannels(const COndrelDoc& doc, CHeaderCodes* headers = nullptr);
// Whether more than one test is listed.
bool SeveralTests(const std::vector<CChannelItem>& items);
