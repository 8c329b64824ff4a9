// Held by a main window's command that opens dialogs or progress windows: gives the keyboard back
// to the view the command came from when the command returns (Qt gives it back only when the
// window manager activates the window again), so the status bar shows that view's totals. Both
// programs' main windows use it; Form offers Focus() and GiveFocusBack(view).
#pragma once

#include <utility>

namespace mainwindow {

// Which view of a main window has the keyboard when a command runs.
enum class TFocus { None, Tree, List };

template <class Form> class TFocusReturn {
public:
    explicit TFocusReturn(Form& form) : FForm(form), FView(form.Focus()) {}
    ~TFocusReturn() { FForm.GiveFocusBack(FView); }
    TFocusReturn(const TFocusReturn&) = delete;
    TFocusReturn& operator=(const TFocusReturn&) = delete;

private:
    Form& FForm;
    decltype(std::declval<const Form&>().Focus()) FView;
};

} // namespace mainwindow
