#pragma once

#include "reminders/table.h"
#include "windows/services.h"

#include <QWidget>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace quill {

class HintAnimation;
class ReminderSession;
namespace editor {
struct Inputs;
struct Prefill;
} // namespace editor

/// The reminder editor (`emlek`): composes one reminder of one of the five kinds and appends it
/// to the session's table. Closing only hides it; it keeps its inputs for the whole run.
class ReminderEditor : public QWidget {
    Q_OBJECT
public:
    /// The two pictures of the hint animation, files beside the program.
    struct HintFrames {
        QString first, second;
    };

    ReminderEditor(Services &services, ReminderSession &session, HintFrames frames);
    ~ReminderEditor() override;

    ReminderKind kind() const { return m_kind; }
    /// Chooses a kind exactly as a click on its button does.
    void chooseKind(ReminderKind kind);
    /// The hint animation's step (every 150 ms).
    void animationTick();
    /// Hides the window for good, at the end of the program.
    void closeForGood();

Q_SIGNALS:
    /// "Lista": the list window is wanted, on this kind.
    void listRequested(ReminderKind kind);

private:
    void createKindButtons();
    void createInputs();
    void createDatePickers(QFrame *box);
    void createAlertPickers();
    void createButtons();
    void fillPickers();
    void setTabOrderOfInputs();
    void applyKind(ReminderKind kind);
    void nameChosen();
    void fillNameDayDates();
    void dateClicked();
    void prefillFromNameDay();
    void prefillFromMonth();
    void prefillFromDay();
    void prefillFromMeetingYear();
    void fitAlertDayPicker();
    void fitDateDayPicker();
    void applyPrefill(const editor::Prefill &p);
    int chosenIndex(QComboBox *picker) const;
    void showAlertSummary();
    bool confirmManyTimes(const editor::Inputs &in);
    /// Marks a picker whose text the user typed.
    static const char *const typedMark;
    int currentYear() const;
    std::optional<int> alertYear() const;
    editor::Inputs inputs() const;
    void storeReminder();
    void clearInputs();
    int pickedName() const;
    QString pickedNameDayDates() const;
    void setDateRowVisible(bool visible);

    Services &m_services;
    ReminderSession &m_session;
    ReminderKind m_kind = ReminderKind::NameDay;
    HintFrames m_framePaths;
    HintAnimation *m_hint = nullptr;

    std::array<QPushButton *, 5> m_kindButtons{};
    std::array<QLabel *, 3> m_rowLabels{};
    QLineEdit *m_firstLine = nullptr;      ///< `Text1`
    QLineEdit *m_secondLine = nullptr;     ///< `Text2`
    QPlainTextEdit *m_freeText = nullptr;  ///< `Text3`
    QComboBox *m_firstName = nullptr;      ///< `kernev`
    QListWidget *m_nameDayDates = nullptr; ///< `List1`
    QLabel *m_hintPicture = nullptr;       ///< `Picture1`, the animated one
    QLabel *m_hintArrow = nullptr;         ///< `Picture2`
    // The birthday's and the meeting's date: `tev`, `szhonap`, `sznap`, `tora`, `tperc`.
    QComboBox *m_meetingYear = nullptr, *m_month = nullptr, *m_day = nullptr;
    QComboBox *m_meetingHour = nullptr, *m_meetingMinute = nullptr;
    // The alert moment: `ev`, `honap`, `nap`, `ora`, `perc`.
    QComboBox *m_alertYear = nullptr, *m_alertMonth = nullptr, *m_alertDay = nullptr;
    QComboBox *m_alertHour = nullptr, *m_alertMinute = nullptr;
    QCheckBox *m_everyYear = nullptr;     ///< `mindenev`: "Minden évben"
    QLabel *m_summary = nullptr;          ///< `osszegzes`: what the alert time will do
    QLabel *m_stored = nullptr;           ///< `allapot`: what the last store did
    QPushButton *m_storeButton = nullptr; ///< `Command2` "Rögzítés"
    QPushButton *m_clearButton = nullptr; ///< `Command3` "Törlés"
    QPushButton *m_listButton = nullptr;  ///< `Command4` "Lista"
    QPushButton *m_closeButton = nullptr; ///< `Command5` "Bezárás"
};

} // namespace quill
