#pragma once

// `vorlane play`; argv holds the arguments after "play".
int RunPlay(int argc, char **argv);
// `vorlane play-batch FILE`: many sessions in one process (native only).
int RunPlayBatch(int argc, char **argv);
