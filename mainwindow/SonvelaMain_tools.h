#pragma once

class TSVMainfrm;

// The file tools of the Tools menu: splitting and joining WAVE files.
void installFileToolCommands(TSVMainfrm* main);
