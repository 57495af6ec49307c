// Removed once model drawing lands.
