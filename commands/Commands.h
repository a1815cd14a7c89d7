#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "resources/Image.h"
#include "commands/CommandLine.h"

// The usage error for a frame the motion does not have: its line on stderr, and 2. The text alone,
// "--to 9 is beyond the last frame (8)", for a message about one file of many.
int frameBeyondLast(const char* option, std::int32_t frame, std::int32_t last);
std::string frameBeyondLastText(const char* option, std::int32_t frame, std::int32_t last);

// The end of a picture command: the picture drawn written to output as PNG, 0; or its one line on
// stderr, and 1, when it could not be drawn (out of memory) or written.
int writePicture(bool drawn, const Image& picture, LPCWSTR output);

// Each mode takes the command line it was chosen by, checked for the options and files it needs.

// `vexo --check [--json] FILE|FOLDER...`: one line per file on stdout (with --json a JSON Lines
// record), folders walked for their BVH files, which are read several at a time on every processor;
// 0 when all were accepted, 1 when any was refused or a folder could not be read.
int runCheck(const CommandLine& line);

// `vexo --lint FILE|FOLDER...`: for each file the --check line, then for an accepted one a line per
// kind of finding of the lint pass (BvhLint), "FILE:LINE: warning: MESSAGE [CODE]"; many files end with
// a tally on stderr. 0 when every file was accepted without a finding, else 1.
int runLint(const CommandLine& line);

// `vexo --positions [--frame N] FILE`: the world position of every joint as CSV on stdout, for
// every frame, or only frame N (1-based) when frame is not 0. 1 when the file is refused, 2 when
// the frame does not exist.
int runPositions(const CommandLine& line);

// `vexo --snapshot OUT.png [--frame N] [--size WxH] FILE`: the picture the viewer's window shows
// at frame N (1-based) after loading FILE and stepping to N, drawn offscreen and written as PNG.
// 1 when the file is refused or the picture cannot be made or written, 2 when the frame does not
// exist; nothing is written then.
int runSnapshot(const CommandLine& line);

// `vexo --render DIR|OUT.gif|OUT.mp4 [--from N] [--to M] [--every K] [--size WxH] FILE`: the
// viewer's pictures of frames N to M (default: the last) while playing, every Kth of them, as
// DIR/frame_000001.png and so on, numbered by frame (DIR is made when missing), or as an animated
// GIF or an MP4 video lasting as long as those frames play (chosen by the extension, in any case).
// A video is written whole or not at all. Progress on stderr when it is a terminal, and a closing
// line with the frames written and the frames per second. 1 and 2 as for runSnapshot.
int runRender(const CommandLine& line);

// `vexo --export OUT.npz|DIR [--from N] [--to M] [--compress] FILE|FOLDER...`: a motion's arrays
// (world positions, local rotations and translations, the skeleton, the stored channels) as a
// NumPy .npz archive, written whole or not at all. To OUT.npz: one file; 1 when it is refused or
// cannot be written, 2 when a frame does not exist. To DIR: one archive per file, folders walked as
// --check walks them, at DIR/RELATIVE.npz, several at a time on every processor, with a progress
// line on a terminal; a file that cannot be exported says why on stderr and the others go on; 1
// when any could not be.
int runExport(const CommandLine& line);

// `vexo --thumbnail OUT.png [--size N] FILE`: the scene alone at frame 1 (floor and skeleton, no
// control bar, no text), N pixels square, the camera framing the whole skeleton whatever the
// file's units, as PNG: a file manager's thumbnail. Only the first frame's numbers are converted,
// but the whole file is checked: a refused file gives 1 and no picture.
int runThumbnail(const CommandLine& line);

// `vexo --sheet OUT.png [--size N] [--columns K] [--up y|z] FILE|FOLDER...`: a contact sheet of the
// files (folders walked for their BVH files, in the order --check gives them), each the thumbnail
// of --thumbnail, N pixels square, with the file's name under it, K to a row; a refused file gets a
// plain cell saying so, and its --check line on stderr. The files are read and drawn several at a
// time on every processor. 0 when every file was drawn, 1 when any was refused or a folder could
// not be read (the sheet is written all the same) or the sheet could not be written (then nothing
// is), 2 when the sheet would be too large.
int runSheet(const CommandLine& line);
