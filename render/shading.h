#pragma once

// The headlight: a white light at the eye that brings out a model's form, off at start. While it
// is on, every surface is lit by its material's diffuse colour from the direction of the eye and
// the light-model ambient falls to a share of its level; off, the fixed state is setupScene's
// again, exactly. The draw pass also gives corners without a normal their face's normal while it
// is on.

// Turns the headlight on or off. Needs a current GL context with the viewer's fixed state.
// Sets the whole lighting state each time, so calling it again after setupScene restores it.
void setShading(bool on);
bool shadingOn();
