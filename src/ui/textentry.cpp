// SPDX-License-Identifier: GPL-3.0-or-later
#include "textentry.h"

#include "handlers.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QValidator>

#include <limits>

namespace {

// Refuses any text past the bound, twice over. A paste by the keyboard, the
// middle button or the context menu is weighed before the field sees it:
// the field would otherwise take the text in (a step of its undo history per
// character, hundreds of megabytes for ten million) only to give it back.
// Anything else (typing, a drop, an input method) meets the validator, and
// the line edit undoes the change itself. Either way the field keeps exactly
// its former text and reports no change. The box is queued (the validator
// runs while the edit is mid-change), once however many attempts meanwhile.
class LengthBound : public QValidator {
public:
    explicit LengthBound(QLineEdit* edit) : QValidator(edit), edit_(edit) { edit->installEventFilter(this); }

    State validate(QString& input, int&) const override
    {
        if (input.size() <= kMaxFieldLength)
            return Acceptable;
        const_cast<LengthBound*>(this)->refuse();
        return Invalid;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (edit_->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && refused(QClipboard::Clipboard);
        case QEvent::MouseButtonRelease:
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton
                && QGuiApplication::clipboard()->supportsSelection() && refused(QClipboard::Selection);
        case QEvent::ContextMenu:
            showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default:
            return false;
        }
    }

private:
    // True, with the box on its way, when pasting the clipboard's text
    // would make the field too long.
    bool refused(QClipboard::Mode mode)
    {
        const qsizetype incoming = QGuiApplication::clipboard()->text(mode).size();
        if (edit_->text().size() - edit_->selectedText().size() + incoming <= kMaxFieldLength)
            return false;
        refuse();
        return true;
    }

    // The line edit's own menu, its paste weighed first. The entry is known
    // by its text, which the line edit takes from the same translation.
    void showContextMenu(const QPoint& at)
    {
        QMenu* menu = edit_->createStandardContextMenu();
        for (QAction* action : menu->actions()) {
            if (action->text().section(QLatin1Char('\t'), 0, 0) != QLineEdit::tr("&Paste"))
                continue;
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            QObject::connect(action, &QAction::triggered, edit_, [this] {
                if (!refused(QClipboard::Clipboard))
                    edit_->paste();
            });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    }

    void refuse()
    {
        if (boxPending_)
            return;
        boxPending_ = true;
        QMetaObject::invokeMethod(this, &LengthBound::showBox, Qt::QueuedConnection);
    }

    void showBox()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("kelvoran"), tooLongText(), QMessageBox::Ok,
                        edit_->window());
        box.setObjectName(QStringLiteral("TooLongBox"));
        fitTitle(box);
        box.exec();
        boxPending_ = false;
    }

    QLineEdit* edit_;
    bool boxPending_ = false;
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
