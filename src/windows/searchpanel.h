#pragma once

#include "calendar/namedays.h"
#include "windows/services.h"

#include <QWidget>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quill {

/// The name-day search in the lower part of the main window, shown in the full view: a date gives
/// its names, a first name gives its dates; with "Keresés" and "Kilépés" below.
class SearchPanel final : public QWidget {
    Q_OBJECT
public:
    /// Where the panel begins in the main window, in twips: its controls are placed in the main
    /// window's twips less this.
    static constexpr int topTwips = 600;

    SearchPanel(Services &services, QWidget *window);

    /// "Keresés": the search the chosen option stands for.
    void search();

Q_SIGNALS:
    /// "Kilépés" was pressed.
    void exitRequested();

private:
    void createDateSearch();
    void createNameSearch();
    void createButtons();
    void fillPickers();
    void setStartingState();
    void enterDateSearch();
    void enterNameSearch();
    void chooseDateSearch();
    void chooseNameSearch();
    void showAnswer(QLabel *line, const QString &answer);
    void searchByDate();
    void searchByName();
    bool checkSearchInput();
    void reportNotFound(LookupError error);
    void fitDayPicker();
    void message(const QString &text);

    Services &m_services;
    std::array<QFrame *, 2> m_frames{};
    QRadioButton *m_byDate = nullptr;
    QRadioButton *m_byName = nullptr;
    QComboBox *m_month = nullptr;
    QComboBox *m_day = nullptr;
    QComboBox *m_name = nullptr;
    QLabel *m_namesFound = nullptr;
    QLabel *m_datesFound = nullptr;
    QPushButton *m_searchButton = nullptr;
    QPushButton *m_exitButton = nullptr;
};

} // namespace quill
