#include "gui/app/gui_message_sink.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace vc::gui {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

bool OnMainThread() {
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

GuiMessageSink::GuiMessageSink() : previous_(InstallMessageSink(this)) {}

GuiMessageSink::~GuiMessageSink() {
    InstallMessageSink(previous_);
}

QString GuiMessageSink::TranslatedCaption(const std::string& caption) {
    if (caption == "Error")
        return tr("Error");
    if (caption == "Warning")
        return tr("Warning");
    if (caption == "Information")
        return tr("Information");
    return QString::fromStdString(caption);
}

void GuiMessageSink::Show(MessageKind kind, const std::string& caption, const std::string& text) {
    const QString c = TranslatedCaption(caption);
    const QString t = QString::fromStdString(text);
    // Always later, on the main thread: the caller may be a converter's event handler or a worker.
    QMetaObject::invokeMethod(
        this, [this, kind, c, t] { ShowNow(kind, c, t); }, Qt::QueuedConnection);
}

void GuiMessageSink::ShowNow(MessageKind kind, const QString& caption, const QString& text) {
    auto* box = new QMessageBox(IconOf(kind), caption, text, QMessageBox::Ok, parent_.data());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->open(); // modal for the window, without a loop of its own
    emit BoxShown(box);
}

bool GuiMessageSink::Confirm(const std::string& caption, const std::string& text) {
    const QString c = TranslatedCaption(caption);
    const QString t = QString::fromStdString(text);
    if (OnMainThread())
        return ConfirmNow(c, t);
    if (!QCoreApplication::instance())
        return false;
    bool answer = false;
    QMetaObject::invokeMethod(
        this, [&] { answer = ConfirmNow(c, t); }, Qt::BlockingQueuedConnection);
    return answer;
}

bool GuiMessageSink::ConfirmNow(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent_.data());
    box.setDefaultButton(QMessageBox::No);
    emit BoxShown(&box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vc::gui
