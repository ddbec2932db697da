#pragma once
// One page of the header information sheet: a column of labelled boxes, each
// showing one header field, some of them editable and written back on OK.
#include "KVSignal.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;

enum class BoxKind {
    Text,
    Integer,
    Real,
    FilterClass,  // an integer field shown and edited as its class text
    Zero,         // fed by no field: always shows 0
    ChannelCode,  // read-only: the ISO-MME code the header gives (as a test is written)
};

// Editable boxes are written back on OK; read-only boxes never are.
enum class BoxAccess { Editable, ReadOnly };

struct SheetBox {
    QString label;
    QString name;  // the field name; also the box's object name
    BoxKind kind;
    BoxAccess access;
    std::string KVHeader::*text = nullptr;
    int KVHeader::*integer = nullptr;
    float KVHeader::*real = nullptr;
    bool centred = false;
};

// The box descriptions of the page tables; KV_BOX_FIELD(f) gives the name and
// the member of field f.
#define KV_BOX_FIELD(f) QStringLiteral(#f), &KVHeader::f
SheetBox TextBox(const char* label, const QString& name, std::string KVHeader::*field, BoxAccess access);
SheetBox IntBox(const char* label, const QString& name, int KVHeader::*field, BoxAccess access);
SheetBox RealBox(const char* label, const QString& name, float KVHeader::*field, BoxAccess access);
SheetBox FilterClassBox(const char* label, const QString& name, int KVHeader::*field);
SheetBox ZeroBox(const char* label, const QString& name);
SheetBox ChannelCodeBox(const char* label, const QString& name);

class CSheetPage : public QWidget {
    Q_OBJECT
public:
    CSheetPage(const QString& title, std::vector<SheetBox> boxes, QWidget* parent = nullptr);

    QString Title() const { return m_title; }
    // Shows the fields of h in the boxes.
    void Load(const KVHeader& h);
    // The first editable number box that holds no valid number, with the
    // message that refuses it; nullptr when every box is valid.
    QLineEdit* InvalidBox(QString* message) const;
    // Writes the editable boxes into h; extremes, Del and arrays are never
    // recomputed. A box that holds no valid number leaves its field alone.
    void Store(KVHeader& h) const;
    // The box of a field name (its object name), nullptr when there is none.
    QLineEdit* Box(const QString& name) const;

private:
    QString m_title;
    std::vector<SheetBox> m_boxes;
    std::vector<QLineEdit*> m_edits;
};
