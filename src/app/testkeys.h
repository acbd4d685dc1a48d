// A seam for tests that drive the real program from outside, as a separate process (the crash
// recovery test kills it): the text of the environment variable SCRIBA_TEST_KEYS is typed
// into the first document once start-up is done, key by key through the usual key handling.
// Without the variable nothing happens.
#pragma once

class QWidget;

void PostTestKeys(QWidget *target);
