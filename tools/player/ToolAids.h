#pragma once

#include <QList>

class LiveScreen;
class QWidget;

// Turns SIGTERM and SIGINT into a normal end of the Qt loop.
void QuitOnTerminationSignals();

// Test and demo aids of both programs, driven by the environment:
// - KORVANA_TOOL_ECHO names a file that receives the program's arguments,
//   one per line;
// - KORVANA_TOOL_PNG a file that receives a picture of the window once
//   every screen shows a frame or a problem;
// - KORVANA_TOOL_CLICK "x,y" (or "x,y,x2,y2" for a drag), in the first
//   screen's own pixels: given to it as a person's mouse once it shows a
//   frame (after the first picture, when one is asked for);
// - KORVANA_TOOL_PNG2 a file that receives a picture of the window once the
//   click shows on the screen.
void EchoArguments(int argc, char** argv);
void RunToolScript(QWidget& window, const QList<LiveScreen*>& screens);
