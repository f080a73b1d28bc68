#pragma once

// Aborts, naming the broken rule, unless meshScene holds only what a load may leave: counts not
// below 0, an array behind every positive count, and every record readable to its end. After
// a refused load of a released scene, the scene must still be empty.
void checkLoadedScene(bool loaded);
