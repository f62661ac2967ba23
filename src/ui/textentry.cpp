#include "textentry.h"

#include "desktop.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QValidator>

#include <limits>

namespace {

// Refuses any text past the bound. The line edit then undoes the change
// itself, so the field keeps exactly its former text and reports no change.
// The box cannot open inside the validation (the edit is mid-change): it is
// queued, once however many keys or pastes were refused meanwhile.
class LengthBound : public QValidator {
public:
    explicit LengthBound(QLineEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override
    {
        if (input.size() <= kMaxFieldLength)
            return Acceptable;
        if (!boxPending_) {
            boxPending_ = true;
            QMetaObject::invokeMethod(const_cast<LengthBound*>(this), &LengthBound::showBox, Qt::QueuedConnection);
        }
        return Invalid;
    }

private:
    void showBox()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("kelvoran"), tooLongText(), QMessageBox::Ok,
                        edit_->window());
        box.setObjectName(QStringLiteral("TooLongBox"));
        desktop::fitTitle(box);
        box.exec();
        boxPending_ = false;
    }

    QLineEdit* edit_;
    mutable bool boxPending_ = false;
};

} // namespace

QString tooLongText()
{
    return QStringLiteral("Texte trop long : un champ accepte au plus %1 caractères. Le champ garde son texte.")
        .arg(kMaxFieldLength);
}

void limitLength(QLineEdit* edit)
{
    // Qt's own limit would cut a paste silently: the validator refuses it instead.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setValidator(new LengthBound(edit));
}

QString askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text, bool* ok)
{
    // On the heap, as QInputDialog::getText does: the parent may go away while it runs.
    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setInputMode(QInputDialog::TextInput);
    if (auto* edit = dialog->findChild<QLineEdit*>())
        limitLength(edit);
    dialog->setTextValue(text);
    *ok = dialog->exec() == QDialog::Accepted && dialog;
    QString answer;
    if (dialog) {
        answer = dialog->textValue();
        delete dialog;
    }
    return answer;
}
