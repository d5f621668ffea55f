// `vorlane retype`: re-types real files line by line through the Far 3
// plug-in and counts the lines Enter puts where their authors put them.
#pragma once

int RunRetype(int argc, char **argv);
