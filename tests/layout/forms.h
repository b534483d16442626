// Every window of the program, each built and filled as its command shows
// it, for the layout test and for the pictures of the forms.
//
// To check a new form, add one line to the list in forms.cpp.
#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/layout/layout_check.h"

class TSVMainfrm;
class TSoundfrm;

namespace sv::test {

// What a form needs to be built: the main window (the program's one,
// shown), a sound window on a short stereo sound, and somewhere to keep
// the forms it builds until the test ends.
class FormContext {
public:
    virtual ~FormContext() = default;
    virtual TSVMainfrm& main() = 0;
    virtual TSoundfrm* sound() = 0;
    // Builds a form that lives until the test ends.
    template <typename F, typename... Args>
    F* keep(Args&&... args) {
        auto form = std::make_unique<F>(std::forward<Args>(args)...);
        F* raw = form.get();
        kept_.push_back(std::move(form));
        return raw;
    }

protected:
    // Deletes the kept forms; before the main window goes, since a form
    // may be its child.
    void release() { kept_.clear(); }

private:
    std::vector<std::unique_ptr<QWidget>> kept_;
};

struct FormCase {
    std::string name;                            // a test name and a picture's file name
    std::function<QWidget*(FormContext&)> make;  // the window to look at, not yet shown
    OverlapAllowed overlaps = {};                // what the form lays over what on purpose
    std::function<void(QWidget*)> use = {};      // what the user does once it shows
};

const std::vector<FormCase>& everyForm();

// The status-bar buttons a sound window lays over its status panels.
bool statusButtonOverPanel(const QWidget* a, const QWidget* b);

} // namespace sv::test
