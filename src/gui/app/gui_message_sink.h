#pragma once
// The desktop's message sink: message boxes on the main thread, whichever thread asks.
//
// A message never opens a modal loop where it is raised: the box is made later on the main
// thread and shown without blocking, so a box raised inside a converter's or the preview's call
// cannot re-enter that call. Only a question (Confirm) waits for its answer; asked from a worker
// thread, the worker waits while the main thread asks.
#include "platform/message_sink.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace vc::gui {

class GuiMessageSink final : public QObject, public MessageSink {
    Q_OBJECT

public:
    // Installs itself as the current sink for its lifetime; boxes are centred on `parent` when
    // it is set (SetParentWindow).
    GuiMessageSink();
    ~GuiMessageSink() override;
    GuiMessageSink(const GuiMessageSink&) = delete;
    GuiMessageSink& operator=(const GuiMessageSink&) = delete;

    void SetParentWindow(QWidget* parent) { parent_ = parent; }

    void Show(MessageKind kind, const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;

    // The standard captions ("Error", "Warning", "Information") in the interface language.
    static QString TranslatedCaption(const std::string& caption);

signals:
    // A box was put on the screen (tests and the screenshots watch for it).
    void BoxShown(QWidget* box);

private:
    void ShowNow(MessageKind kind, const QString& caption, const QString& text);
    bool ConfirmNow(const QString& caption, const QString& text);

    QPointer<QWidget> parent_;
    MessageSink* previous_ = nullptr;
};

} // namespace vc::gui
