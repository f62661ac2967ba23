#pragma once
// Fields and queries keep whatever the user types or pastes, however long
// (Qt cuts silently at 32,767 characters by default): the number is read
// from the whole text.
#include <QString>

class QLineEdit;
class QWidget;

void acceptAnyLength(QLineEdit* edit);

// The input query (QInputDialog::getText) without the length limit. ok is
// false when the user cancelled.
QString askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text, bool* ok);
