#pragma once

#include "platform/services.h"
#include "reminders/datafile.h"
#include "reminders/table.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace quill {

class Emlek;

/// The reminder list: the reminders of one kind as side-by-side columns, with their active
/// boxes, delete, in-place correction of the alert time and save.
class Lista : public QWidget {
    Q_OBJECT
public:
    enum Origin { FromUser, FromEditor };

    Lista(Services &services, ReminderBook &book, ReminderFile &file, Emlek *editor);
    ~Lista() override;

    /// Rebuilds the columns for the kind `listafajta`.
    void listafeltolt();
    /// Shows one active box per listed entry in view and hides the rest.
    void chkcontrol();
    /// Kind option k becomes selected. From the editor, the option already selected does nothing.
    void selectKind(int k, Origin origin);

    // In-place edit state.
    int kijelolt = -1;
    int szerkoszlop = 0;
    int szerksor = -1;
    bool szerkkesz = true;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void sorlistaz(int row, int position);
    void selectPosition(int position);
    void beginEdit(int column);
    void finishEdit();
    void toggleActive(int box);
    void torles();
    void mentes();
    void syncBoxes();
    int firstShownPosition() const;
    int rowHeightPx() const;

    Services &m_services;
    ReminderBook &m_book;
    ReminderFile &m_file;
    Emlek *m_editor;
    std::array<QRadioButton *, 5> m_option{};
    std::array<QListWidget *, 11> m_columns{};
    std::array<QLabel *, 8> m_headers{};
    std::array<QCheckBox *, 10> m_checks{};
    QList<bool> m_flags; ///< the active flag of each listed entry, by position
    QScrollBar *m_scroll = nullptr;
    QLineEdit *m_text1 = nullptr;
    bool m_syncing = false;
};

} // namespace quill
