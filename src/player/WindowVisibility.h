#pragma once

#include <cstdint>

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWindow;

// Whether another window covers a window whole, as the X server tells it (VisibilityNotify);
// Qt reports only whether a window is mapped. Under a compositing window manager, or another
// window system, the window is never told to be covered and so counts as seen.
class WindowVisibility final : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // Watches `window`, whose native window must exist.
    explicit WindowVisibility(QWindow& window, QObject* parent = nullptr);
    ~WindowVisibility() override;

    bool isCovered() const { return m_covered; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    void coveredChanged(bool covered);

private:
    bool watchOnX11();

    std::uint32_t m_window = 0;
    bool m_covered = false;
};
