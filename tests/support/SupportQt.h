#pragma once
// For the tests of the Qt layers: readable Qt texts in failures and per-user
// settings kept in a temporary folder.
#include <QString>
#include <QTemporaryDir>

#include <ostream>

// Readable QString values in test failures.
void PrintTo(const QString& text, std::ostream* os);

// Points the per-user settings at a fresh, empty temporary folder while it
// lives, so that no test reads or writes the settings of the person running it.
class TempSettings {
public:
    TempSettings();
    bool IsValid() const { return m_dir.isValid(); }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
