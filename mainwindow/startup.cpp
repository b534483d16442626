#include "mainwindow/startup.h"

#include "mainwindow/SonvelaMain.h"

// Each long-lived dialog is created here, in this order, as its form
// becomes available: fade, advanced filter, effects, filter bank, resample,
// speed, echo, reverb, equalize, histogram, dynamic expander, amplify.
void createLongLivedForms(TSVMainfrm* main) { (void)main; }

void destroyLongLivedForms() {}
