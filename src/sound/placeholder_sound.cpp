// Removed once the sound wrapper lands.
