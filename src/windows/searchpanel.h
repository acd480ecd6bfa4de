#pragma once

#include "calendar/namedays.h"
#include "windows/services.h"

#include <QObject>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace quill {

/// The name-day search in the lower part of the main window: a date gives its names, a first
/// name gives its dates. Its controls are children of the main window.
class SearchPanel final : public QObject {
    Q_OBJECT
public:
    SearchPanel(QWidget *window, Services &services);

    /// The controls that appear with the full view.
    QList<QWidget *> controls() const;
    /// "Keresés": the search the chosen option stands for.
    void search();

private:
    void createDateSearch(QWidget *window);
    void createNameSearch(QWidget *window);
    void fillPickers();
    void setStartingState();
    void chooseDateSearch();
    void chooseNameSearch();
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
};

} // namespace quill
