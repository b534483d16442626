// The forms that live for the whole run, created after the main window in a
// fixed order and freed at the end.
#pragma once

class TSVMainfrm;

void createLongLivedForms(TSVMainfrm* main);
void destroyLongLivedForms();
