#pragma once
// Program start: one running copy per user, then the wizard, modally; the
// program ends when the wizard closes.
int RunConverterApp(int argc, char** argv);
