// Picking a folder on the machine the server runs on. Until the served folder browser is here,
// nothing is picked and the chooser's folder field is typed instead.
export async function browseFor() {
  return null;
}
