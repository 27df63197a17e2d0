#include "kestrune.h"
void AddCurrentTrack(void) {}
void TakeSnapShot(void) {}
void ReplacePlaylist(void) {}
void ClearPlaylist(void) {}
void AddAllTracks(void) {}
void CopyToFavorites(void) {}
