#pragma once

// `vorlane play`; argv holds the arguments after "play".
int RunPlay(int argc, char **argv);
