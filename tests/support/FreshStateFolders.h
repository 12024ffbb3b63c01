#pragma once

// Gives every test a state folder (XDG_STATE_HOME) of its own, empty, so that what Quorbit
// remembers between runs (when events fired) neither comes from the person's own folder nor
// passes from one test, or one run of the tests, to the next.
void UseFreshStateFolders();
