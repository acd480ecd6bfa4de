#pragma once

#include <QObject>
#include <random>

class QLabel;
class QTimer;
class QWidget;

namespace quill {

/// The maker's signature (`Label4`) at the bottom of the full view: still and blue, or, after a
/// click, moving through 13 steps in random colours every 150 ms until the next click.
class Signature final : public QObject {
    Q_OBJECT
public:
    /// `cursorFile` is `hand.cur`, loaded when the signature is first shown.
    Signature(QWidget *window, QString cursorFile);

    QLabel *label() const { return m_label; }
    bool moving() const { return m_moving; }
    /// One step of the signature (the timer's, or a test's).
    void tick();
    /// Loads the cursor file, once; a missing or broken one leaves the usual pointer.
    void loadCursor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QTimer *m_timer = nullptr;
    QString m_cursorFile;
    bool m_cursorLoaded = false;
    bool m_moving = false;
    int m_step = 1;
    std::minstd_rand m_random; // default seed: the same colours every run
};

} // namespace quill
