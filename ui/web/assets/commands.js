// The command set of the main window: the menus with their texts, separators and key names, the
// status-bar prompt and tooltip of each command (the text before and after '\n'), and the keys.
//
// The Report menu names Alt+Left and Alt+Right for Previous and Next and Alt+Up and Alt+Down for
// Back and Forward. The keys follow the menu: a window whose menu names one key while another does
// the job misleads, and these texts are the ones a user reads.

export const MENUS = [
  {
    text: '&File',
    items: [
      { text: '&New Workspace\tCtrl+N', command: 'new' },
      { text: '&Open Workspace...\tCtrl+O', command: 'open' },
      null,
      { text: '&Recent Workspaces', submenu: 'recent' },
      null,
      { text: 'E&xit', command: 'exit' },
    ],
  },
  {
    text: 'Workspace',
    items: [
      { text: 'Retrieve &new log files\tF3', command: 'retrieve' },
      { text: '&Parse new log files\tF4', command: 'parse' },
      { text: 'Remove all parsed data', command: 'remove' },
      null,
      { text: 'View Latest Parsing Log', command: 'viewLog' },
      { text: 'Manage Imported Log Files', command: 'manageLogs' },
      null,
      { text: 'Settings...', command: 'settings' },
    ],
  },
  {
    text: 'Report',
    items: [
      { text: 'Previous\tAlt+Left Arrow', command: 'previous' },
      { text: 'Next\tAlt+Right Arrow', command: 'next' },
      null,
      { text: 'Back\tAlt+Up Arrow', command: 'back' },
      { text: 'Forward\tAlt+Down Arrow', command: 'forward' },
      { text: 'Refresh\tF5', command: 'refresh' },
      null,
      { text: 'Export &Current...', command: 'exportCurrent' },
      { text: 'Export &All...', command: 'exportAll' },
    ],
  },
  {
    text: '&Help',
    items: [
      { text: 'Contents', command: 'help' },
      { text: 'Tip of the Day...', command: 'tip' },
      { text: '&About Velmora...', command: 'about' },
    ],
  },
];

export const PROMPTS = {
  new: 'Creates a new log analyzing workspace\nNew',
  open: 'Opens an existing log analyzing workspace.\nOpen',
  exit: 'Quits the application\nExit',
  retrieve: 'Retrieves new log files.\nGet new logs',
  parse: 'Parses new log files.\nParse',
  remove: 'Clears the workspace database.\nRemove all',
  settings: 'Changes workspace settings.\nSettings',
  previous: 'Goes to the preceding report.\nPrevious',
  next: 'Goes to the subsequent report.\nNext',
  back: 'Goes to the previous report.\nBack',
  forward: 'Goes to the next report.\nForward',
  refresh: 'Refreshes the content of the current report.\nRefresh',
  exportCurrent: 'Saves current report as a file.\nExport current report',
  exportAll: 'Saves all reports as a bunch of files.\nExport all reports',
  help: 'Displays the table of contents for the documentation.',
  tip: 'Displays a Tip of the Day.',
  about: 'Displays program information, version number and copyright.',
};

export function statusPrompt(command) {
  const text = PROMPTS[command];
  return text === undefined ? null : text.split('\n')[0];
}

export function tooltip(command) {
  const text = PROMPTS[command];
  if (text === undefined) return '';
  const parts = text.split('\n');
  return parts.length > 1 ? parts[1] : parts[0];
}

// Key names as KeyboardEvent reports them, with the modifiers in front.
export const KEYS = {
  'Ctrl+n': 'new',
  'Ctrl+o': 'open',
  F3: 'retrieve',
  F4: 'parse',
  'Alt+ArrowLeft': 'previous',
  'Alt+ArrowRight': 'next',
  'Alt+ArrowUp': 'back',
  'Alt+ArrowDown': 'forward',
  F5: 'refresh',
  F1: 'help',
};

export function keyName(event) {
  let name = event.key.length === 1 ? event.key.toLowerCase() : event.key;
  if (event.shiftKey && event.key.length > 1) name = `Shift+${name}`;
  if (event.altKey) name = `Alt+${name}`;
  if (event.ctrlKey || event.metaKey) name = `Ctrl+${name}`;
  return name;
}
