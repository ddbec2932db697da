#pragma once
// The question before the window closes with changed signals loaded.
class COndrelDoc;
class QWidget;

// The question asked; tests and users' scripted answers know this text.
inline constexpr char kDiscardQuestion[] = "Discard the modified signals?";

// True when the window may close: no loaded signal is modified, or the person
// answered Yes to kDiscardQuestion (No is the default button).
bool MayDiscardSignals(QWidget* parent, const COndrelDoc& doc);
