#pragma once
// The window-level helpers of the utility class: focus colours and the input
// method of a field, finding a combo entry by its text, a progress bar in a
// label, colours of locked fields, and window shapes.

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

namespace pelmora {

// value true (the field got the focus): back colour &HFFA03C, fore colour
// &HC0FFFF; unless nMode is 2, Latin entry when nMode is 1 and Hangul
// otherwise; bEditMode selects the whole text. value false: the system
// window colours again.
void CtFocusOn(QWidget* nObj, bool value = true, int nMode = 0, bool bEditMode = false);
// Selects the first entry whose text equals cString (nMode 0), whose first
// (1) or last (2) nLength characters equal it; none selected (-1) when no
// entry matches. Returns the index. Only the match is selected, so selection
// handlers run once, not for every entry passed over.
int CtComboBoxIndexFind(QComboBox* ObjCmb, const QString& cString, int nMode = 0, int nLength = 0);
// Draws a progress bar with its percentage into the label; Free clears it.
void CtPicProgress(QLabel* PicObj, int Percent, bool Free = false);
// Gives the read-only and disabled text fields of a window a grey back colour.
void CtLockColorChange(QWidget* xObject);
// A window made partly transparent, and a window given a round shape.
void WDTransparent(QWidget* window, double opacity = 0.85);
void WDCircle(QWidget* window);

} // namespace pelmora
