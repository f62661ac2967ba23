// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fields and queries take up to kMaxFieldLength characters, far more than
// any number needs yet little enough that laying out the line stays cheap
// (Qt would cut silently at 32,767 by default). A paste or keystroke that
// would go past it is refused as a whole, and a box says so; below it the
// number is read from the whole text.
#include <QString>

class QLineEdit;
class QWidget;

inline constexpr int kMaxFieldLength = 4096;

// The box shown when a text is refused.
QString tooLongText();

void limitLength(QLineEdit* edit);

// The input query (QInputDialog::getText) with the same bound. ok is false
// when the user cancelled.
QString askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text, bool* ok);
