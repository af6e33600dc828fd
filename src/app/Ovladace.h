#pragma once

#include <initializer_list>

class QAction;
class QComboBox;
class QHBoxLayout;
class QLayout;
class QLineEdit;
class QMenu;
class QMenuBar;
class QString;
class QTableView;
class QWidget;

// Small factories for the controls every form builds the same way; each names its widget so
// that tests and saved settings find it.
namespace lorvika {

// A line edit that takes at most `delka` characters (the width of its column).
QLineEdit* vstup(QWidget* rodic, const char* jmeno, int delka);
// A line edit that only shows a value.
QLineEdit* vystup(QWidget* rodic, const char* jmeno);
// An editable combo box whose typed text stays as typed: no insertion, no completion into an item.
QComboBox* vyber(QWidget* rodic, const char* jmeno, int delka);

QMenu* podmenu(QMenuBar* lista, const QString& text, const char* jmeno);
QMenu* podmenu(QMenu* menu, const QString& text, const char* jmeno);
QAction* polozka(QMenu* menu, const QString& text, const char* jmeno);

// Fills `stranka` with a frameless scroll area and returns the widget to put the fields on, so
// the fields scroll when the window is smaller than they need.
QWidget* posuvnaPlocha(QWidget* stranka);

// The grid and its header in the given point size; below 1 nothing changes.
void nastavPismoMrizky(QTableView* mrizka, int velikost);

// The buttons in a row, pushed to the right.
QHBoxLayout* radaTlacitek(std::initializer_list<QWidget*> tlacitka);

// Menu bar, heading row, the stretching middle and the button row, top to bottom.
void rozvrhniOkno(QWidget* okno, QMenuBar* menu, QLayout* horni, QWidget* stred, QLayout* dole);

}  // namespace lorvika
