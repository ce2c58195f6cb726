// The main-window layout of the built-in skin: it addresses the skin's items
// by their fixed indices (the element order of "skin.xml") and places them
// for the window's size, the playlist pane, the hidden interface and the
// full-screen mode, and keeps the live parts (seek fill, volume level,
// play/pause, mute/sound, time and title labels) current from the host.
//
//  1 normal view            2 control bar (3 left, 4 right, 5 seek track, 6 seek fill,
//  7 play, 8 pause, 9 up, 10 forward, 11 back, 12 next, 13 previous,
//  14 current time, 15 remaining or total time, 16 title, 17 browse)
//  18 side strip (20 foot piece, 21 open, 22 full screen, 23 volume track,
//  24 volume level, 25 mute, 26 sound)   27 playlist bar (29 playlist, 30 add,
//  31 remove, 32 move up, 33 move down, 34 tips)
//
// An index the skin lacks leaves its statements without effect; nothing is
// reported. All of it reads the host that LoadSkin was given.
#pragma once

// Lays the whole window out; sets the host's skin offsets.
void SlydeArrange();
// Resets the bar's fixed parts and the mute display.
void SlydeTogglePlaylist();
// Widens or narrows the window by the playlist's width (normal window state,
// interface shown).
void SlydeResizeForPlaylist();
// Refreshes the live parts; visibility and captions are written only on a change.
void SlydeUpdateState();
void SlydeShowFSControls();
void SlydeHideFSControls();
void SlydeShowFSPlaylist();
void SlydeHideFSPlaylist();
// Browse mode shows up, forward and back; otherwise play, pause, next and previous.
void SlydeShowButtons();

// What a mouse position on the seek track (x, pixels of item 5) or the volume
// track (y, pixels of item 23) means: the movie fraction 0..1, the volume 0..100.
double SlydeSeekFraction(int x);
int SlydeVolumeAt(int y);
