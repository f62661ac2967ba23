#include "textentry.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QPointer>

#include <limits>

void acceptAnyLength(QLineEdit* edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}

QString askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text, bool* ok)
{
    // On the heap, as QInputDialog::getText does: the parent may go away while it runs.
    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setInputMode(QInputDialog::TextInput);
    if (auto* edit = dialog->findChild<QLineEdit*>())
        acceptAnyLength(edit);
    dialog->setTextValue(text);
    *ok = dialog->exec() == QDialog::Accepted && dialog;
    QString answer;
    if (dialog) {
        answer = dialog->textValue();
        delete dialog;
    }
    return answer;
}
