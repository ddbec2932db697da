// Before any Qt header: its "signals" keyword would clash with a parameter name.
#include "IsoMmeWriter.h"

#include "CSheetPage.h"


#include "FilterClassText.h"
#include "NumberText.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int kTextBoxChars = 30;
constexpr int kTextBoxFrame = 12; // the frame and text margins of a line edit
} // namespace

SheetBox TextBox(const char* label, const QString& name, std::string KVHeader::*field, BoxAccess access)
{
    SheetBox b{QString::fromLatin1(label), name, BoxKind::Text, access};
    b.text = field;
    return b;
}

SheetBox IntBox(const char* label, const QString& name, int KVHeader::*field, BoxAccess access)
{
    SheetBox b{QString::fromLatin1(label), name, BoxKind::Integer, access};
    b.integer = field;
    return b;
}

SheetBox RealBox(const char* label, const QString& name, float KVHeader::*field, BoxAccess access)
{
    SheetBox b{QString::fromLatin1(label), name, BoxKind::Real, access};
    b.real = field;
    return b;
}

SheetBox FilterClassBox(const char* label, const QString& name, int KVHeader::*field)
{
    SheetBox b{QString::fromLatin1(label), name, BoxKind::FilterClass, BoxAccess::Editable};
    b.integer = field;
    return b;
}

SheetBox ZeroBox(const char* label, const QString& name)
{
    return SheetBox{QString::fromLatin1(label), name, BoxKind::Zero, BoxAccess::ReadOnly};
}

SheetBox ChannelCodeBox(const char* label, const QString& name)
{
    return SheetBox{QString::fromLatin1(label), name, BoxKind::ChannelCode, BoxAccess::ReadOnly};
}

CSheetPage::CSheetPage(const QString& title, std::vector<SheetBox> boxes, QWidget* parent)
    : QWidget(parent), m_title(title), m_boxes(std::move(boxes))
{
    auto* form = new QFormLayout(this);
    for (const SheetBox& box : m_boxes) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(box.name);
        edit->setReadOnly(box.access == BoxAccess::ReadOnly);
        // A box that takes no typing looks like the page behind it.
        if (edit->isReadOnly()) {
            QPalette look = edit->palette();
            look.setColor(QPalette::Base, look.color(QPalette::Window));
            edit->setPalette(look);
        }
        if (box.centred)
            edit->setAlignment(Qt::AlignCenter);
        // A text box shows a whole 30-character field of capitals (a sensor
        // attachment, a make) without scrolling; longer texts scroll.
        if (box.kind == BoxKind::Text)
            edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(kTextBoxChars, QLatin1Char('N')))
                                  + kTextBoxFrame);
        form->addRow(box.label, edit);
        m_edits.push_back(edit);
    }
}

void CSheetPage::Load(const KVHeader& h)
{
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        const SheetBox& box = m_boxes[i];
        QString text;
        switch (box.kind) {
        case BoxKind::Text: text = QString::fromLatin1(h.*box.text); break;
        case BoxKind::Integer: text = FormatInt(h.*box.integer); break;
        case BoxKind::Real: text = FormatReal(h.*box.real); break;
        case BoxKind::FilterClass: text = FilterClassText(h.*box.integer); break;
        case BoxKind::Zero: text = FormatReal(0.0f); break;
        case BoxKind::ChannelCode: {
            KVSignal s;
            s.Header() = h;
            text = QString::fromLatin1(IsoMmeCodeOf(s).c_str());
            break;
        }
        }
        m_edits[i]->setText(text);
        m_edits[i]->setCursorPosition(0); // a text longer than its box shows its start
    }
}

QLineEdit* CSheetPage::InvalidBox(QString* message) const
{
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        const SheetBox& box = m_boxes[i];
        if (box.access != BoxAccess::Editable)
            continue;
        const QString text = m_edits[i]->text();
        if (box.kind == BoxKind::Integer && !ParseInt(text)) {
            if (message)
                *message = QString::fromLatin1(kEnterInteger);
            return m_edits[i];
        }
        if (box.kind == BoxKind::Real && !ParseReal(text)) {
            if (message)
                *message = QString::fromLatin1(kEnterNumber);
            return m_edits[i];
        }
    }
    return nullptr;
}

void CSheetPage::Store(KVHeader& h) const
{
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        const SheetBox& box = m_boxes[i];
        if (box.access != BoxAccess::Editable)
            continue;
        const QString text = m_edits[i]->text();
        switch (box.kind) {
        case BoxKind::Text: h.*box.text = text.toLatin1().toStdString(); break;
        case BoxKind::Integer:
            if (const auto v = ParseInt(text))
                h.*box.integer = *v;
            break;
        case BoxKind::Real:
            if (const auto v = ParseReal(text))
                h.*box.real = *v;
            break;
        case BoxKind::FilterClass: h.*box.integer = FilterClassFromText(text); break;
        case BoxKind::Zero:
        case BoxKind::ChannelCode: break;
        }
    }
}

QLineEdit* CSheetPage::Box(const QString& name) const
{
    for (size_t i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i].name == name)
            return m_edits[i];
    return nullptr;
}
