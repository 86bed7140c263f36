#pragma once

// Registers the built-in images and the Chinese catalogue. They live in a
// static library, so something must pull them in before first use; calling
// this more than once is harmless.
void initVemoResources();
