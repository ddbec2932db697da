#include "CStatusIndicators.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace {

const char* const kTexts[3] = {"CAP", "NUM", "SCRL"};
const char* const kLeds[3] = {"capslock", "numlock", "scrolllock"};

// The keyboard's lock lights as the kernel reports them; off when unknown
// (a virtual display has none).
bool LedOn(const char* led)
{
    QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList entries =
        leds.entryList({QStringLiteral("*::") + QString::fromLatin1(led)}, QDir::Dirs | QDir::System);
    for (const QString& entry : entries) {
        QFile brightness(leds.filePath(entry + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0")
            return true;
    }
    return false;
}

} // namespace

CStatusIndicators::CStatusIndicators(QStatusBar* bar) : QObject(bar)
{
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(QString::fromLatin1(kTexts[i]), bar);
        m_panes[i]->setAlignment(Qt::AlignCenter);
        m_panes[i]->setMinimumWidth(m_panes[i]->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(m_panes[i]);
        Show(i, LedOn(kLeds[i]));
    }
    qApp->installEventFilter(this);
}

void CStatusIndicators::Show(int i, bool on)
{
    m_on[i] = on;
    m_panes[i]->setEnabled(on);
}

bool CStatusIndicators::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || watched != QApplication::focusObject())
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // On X the event carries the lock state before this key (Lock and Mod2).
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const quint32 state = key->nativeModifiers();
        Show(0, (state & 0x02) != 0);
        Show(1, (state & 0x10) != 0);
    }
    if (!key->isAutoRepeat()) {
        switch (key->key()) {
        case Qt::Key_CapsLock: Show(0, !m_on[0]); break;
        case Qt::Key_NumLock: Show(1, !m_on[1]); break;
        case Qt::Key_ScrollLock: Show(2, !m_on[2]); break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}
