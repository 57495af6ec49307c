// Removed once the mesh store lands.
