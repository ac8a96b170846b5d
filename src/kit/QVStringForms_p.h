// Internals of the kit's number text forms, for the kit and its tests.
#ifndef QV_STRING_FORMS_P_H
#define QV_STRING_FORMS_P_H

// strPrepareFloatScanf tests the locale's decimal separator once, on its
// first use, and keeps the answer for the process. After a change of the
// process's locale (setlocale), this makes the next use test it again.
void QVStringFormsRetestDecimalSeparator();

#endif
