#pragma once

#include "reminders/listrules.h"
#include "reminders/table.h"
#include "windows/services.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QListView;
class QRadioButton;
class QScrollBar;

namespace quill {

class ReminderListModel;
class ReminderSession;

/// The reminder list (`lista`): the reminders of one kind as side-by-side columns, with their
/// active boxes, delete, in-place correction of the alert time and save. The columns are views of
/// one model (`ReminderListModel`) sharing one selection; one scroll bar moves them all.
class ReminderList : public QWidget {
    Q_OBJECT
public:
    ReminderList(Services &services, ReminderSession &session);
    ~ReminderList() override;

    ReminderKind kind() const;
    /// Shows the reminders of a kind, as the editor's "Lista" asks: its option is selected, and
    /// the editor is not pressed back.
    void showKind(ReminderKind kind);
    /// The entry selected in the columns, -1 for none.
    int selectedPosition() const;
    ReminderListModel *model() const { return m_model; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createKindOptions();
    void createHeaders();
    void createColumns();
    void createActiveBoxes();
    void createButtons();
    QListView *column(list::Column c) const { return m_columns[std::size_t(c)]; }
    void chooseKind(ReminderKind kind);
    void followKind(ReminderKind kind);
    void selectKindOption(ReminderKind kind);
    void applyLayout();
    void rowsChanged();
    void scrollTo(int top);
    void showActiveBoxes();
    int firstShownPosition() const;
    void beginEdit(list::Column column, int position);
    void finishEdit();
    void cancelEdit();
    void toggleActive(int box);
    void deleteSelected();
    void save();

    Services &m_services;
    ReminderSession &m_session;
    ReminderListModel *m_model = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    // The in-place edit: its column and position, and whether it has been dealt with.
    list::Column m_editColumn = list::Column::AlertYear;
    int m_editPosition = -1;
    bool m_editDone = true;

    std::array<QRadioButton *, 5> m_kindOptions{};
    std::array<QListView *, list::ColumnCount> m_columns{};
    /// `Label3_0` .. `Label3_7`: 0 over the first text, 1 the second, 2-6 the alert time, 7 when.
    std::array<QLabel *, 8> m_headers{};
    std::array<QCheckBox *, 10> m_activeBoxes{};
    QScrollBar *m_scroll = nullptr;
    QLineEdit *m_editBox = nullptr;
};

} // namespace quill
