<?php
// Fetchlet as a PHP page: hands the log files of one folder of the web server to Velmora, with
// the same requests, answers and refusals as fetchlet.py (see README.md beside this file).
//
//   ?dir&KEEP&GZIP&PATH  "OK", then the names of the log files of PATH, newest first, one a line;
//                        with pruning allowed, only the newest KEEP are kept (older ones deleted)
//   ?get&NAME&PATH       the file NAME of PATH, gzip (GZIP 1) or bzip2 (GZIP 0) as the client's
//                        last dir asked; files already gzip or bzip2 go as they are
//
// PATH is a folder inside the configured folder ("/logs" and "logs" both name FOLDER/logs). A ".."
// component, an absolute or drive name, a NAME with a folder in it and a symbolic link out of
// FOLDER are answered 403, plainly written or percent-encoded. With a user configured, every
// request must carry it and its password (HTTP Basic), else 401.
//
// Configuration: the INI file named by FETCHLET_CONFIG, else fetchlet.conf beside this page, with
// a [fetchlet] section: folder, user, password, allow_prune (yes/no). Keep it out of the web
// server's document tree, or deny it there. bzip2 needs PHP's bz2 extension.

const FETCHLET_CHUNK = 65536;

function fetchlet_config() {
  $file = ($_SERVER['FETCHLET_CONFIG'] ?? getenv('FETCHLET_CONFIG')) ?: __DIR__ . '/fetchlet.conf';
  $ini = is_readable($file) ? parse_ini_file($file, true, INI_SCANNER_RAW) : false;
  $section = ($ini && isset($ini['fetchlet'])) ? $ini['fetchlet'] : [];
  $folder = isset($section['folder']) ? realpath(trim($section['folder'])) : false;
  return [
    'folder' => $folder,
    'user' => isset($section['user']) ? trim($section['user']) : '',
    'password' => isset($section['password']) ? trim($section['password']) : '',
    'allow_prune' => in_array(strtolower(trim($section['allow_prune'] ?? 'no')),
                              ['1', 'yes', 'true', 'on'], true),
  ];
}

function fetchlet_reply($status, $text, $headers = []) {
  http_response_code($status);
  header('Content-Type: text/plain; charset=utf-8');
  header('Cache-Control: no-store');
  foreach ($headers as $h) header($h);
  echo $text, "\n";
  exit;
}

function fetchlet_refuse() {
  fetchlet_reply(403, 'Error: outside the log folder');
}

function fetchlet_decode($part) {
  $decoded = rawurldecode($part);
  if (strpos($decoded, "\0") !== false) fetchlet_refuse();
  return $decoded;
}

function fetchlet_inside($root, $path) {
  return $path === $root || strpos($path, rtrim($root, '/') . '/') === 0;
}

function fetchlet_folder($config, $path) {
  $components = preg_split('#[/\\\\]+#', $path);
  if (in_array('..', $components, true) || preg_match('/^[A-Za-z]:/', $path)) fetchlet_refuse();
  $relative = implode('/', array_filter($components, function ($c) { return $c !== '' && $c !== '.'; }));
  $folder = realpath($config['folder'] . '/' . $relative);
  if ($folder === false) return false;
  if (!fetchlet_inside($config['folder'], $folder)) fetchlet_refuse();
  return $folder;
}

function fetchlet_listable($name) {
  // A name with '&' could not be asked for again; control bytes would garble the list.
  return $name !== '' && $name[0] !== '.' && strpos($name, '&') === false &&
         !preg_match('/[\x00-\x1f\x7f]/', $name);
}

function fetchlet_files($config, $folder) {
  $files = [];
  foreach (scandir($folder) ?: [] as $name) {
    if (!fetchlet_listable($name)) continue;
    $real = realpath($folder . '/' . $name);
    if ($real === false || !fetchlet_inside($config['folder'], $real) || !is_file($real)) continue;
    $files[] = [$name, filemtime($real)];
  }
  usort($files, function ($a, $b) { return [$b[1], $a[0]] <=> [$a[1], $b[0]]; });
  return $files;
}

// The compression each client address asked for last, kept in a small file between requests.
function fetchlet_state_file() {
  return sys_get_temp_dir() . '/fetchlet-php.state';
}

function fetchlet_gzip_for($address) {
  $state = json_decode((string)@file_get_contents(fetchlet_state_file()), true);
  return is_array($state) && isset($state[$address]) ? (bool)$state[$address] : true;
}

function fetchlet_remember($address, $gzip) {
  $state = json_decode((string)@file_get_contents(fetchlet_state_file()), true);
  if (!is_array($state) || count($state) > 1000) $state = [];
  $state[$address] = $gzip;
  $temporary = tempnam(sys_get_temp_dir(), '.fetchlet');
  if ($temporary !== false && file_put_contents($temporary, json_encode($state)) !== false) {
    rename($temporary, fetchlet_state_file());
  }
}

function fetchlet_authorised($config) {
  if ($config['user'] === '') return true;
  $user = $_SERVER['PHP_AUTH_USER'] ?? null;
  $password = $_SERVER['PHP_AUTH_PW'] ?? null;
  if ($user === null) {
    $header = $_SERVER['HTTP_AUTHORIZATION'] ?? ($_SERVER['REDIRECT_HTTP_AUTHORIZATION'] ?? '');
    if (strncasecmp($header, 'Basic ', 6) !== 0) return false;
    $pair = base64_decode(trim(substr($header, 6)), true);
    if ($pair === false || strpos($pair, ':') === false) return false;
    [$user, $password] = explode(':', $pair, 2);
  }
  return hash_equals($config['user'], (string)$user) & hash_equals($config['password'], (string)$password);
}

function fetchlet_list($config, $parts, $address) {
  $folder = fetchlet_folder($config, fetchlet_decode(implode('&', array_slice($parts, 3))));
  $keep = ctype_digit($parts[1]) ? (int)$parts[1] : 0;
  if ($keep < 1 || $keep > 9999 || !in_array($parts[2], ['0', '1'], true)) {
    fetchlet_reply(200, 'Error: bad request ' . implode('&', array_slice($parts, 0, 3)));
  }
  fetchlet_remember($address, $parts[2] === '1');
  if ($folder === false || !is_dir($folder)) fetchlet_reply(200, 'Error: there is no such log folder');
  $files = fetchlet_files($config, $folder);
  if ($config['allow_prune']) {
    foreach (array_slice($files, $keep) as $file) @unlink($folder . '/' . $file[0]);
    $files = array_slice($files, 0, $keep);
  }
  $body = "OK\n";
  foreach ($files as $file) $body .= $file[0] . "\n";
  header('Content-Type: text/plain');
  header('Cache-Control: no-store');
  header('Content-Length: ' . strlen($body));
  echo $body;
}

function fetchlet_get($config, $parts, $address) {
  $folder = fetchlet_folder($config, fetchlet_decode(implode('&', array_slice($parts, 2))));
  $name = fetchlet_decode($parts[1]);
  if ($name === '' || $name === '.' || $name === '..' || strpbrk($name, '/\\') !== false ||
      preg_match('/^[A-Za-z]:/', $name)) {
    fetchlet_refuse();
  }
  $path = $folder === false ? false : realpath($folder . '/' . $name);
  if ($path !== false && !fetchlet_inside($config['folder'], $path)) fetchlet_refuse();
  if ($path === false || !is_file($path) || !fetchlet_listable(basename($path))) {
    fetchlet_reply(404, 'Error: no such log file');
  }
  $in = @fopen($path, 'rb');
  if ($in === false) fetchlet_reply(404, 'Error: the log file cannot be read');
  $head = fread($in, 4);
  rewind($in);
  $compressed = substr($head, 0, 2) === "\x1f\x8b" ||
                (substr($head, 0, 3) === 'BZh' && ctype_digit(substr($head, 3, 1)));
  $gzip = fetchlet_gzip_for($address);
  if (!$compressed && !$gzip && !function_exists('bzcompress')) $gzip = true;  // no bz2 extension
  header('Content-Type: application/octet-stream');
  header('Cache-Control: no-store');
  while (ob_get_level() > 0) ob_end_flush();
  $out = fopen('php://output', 'wb');
  if ($compressed) {
    header('Content-Length: ' . filesize($path));
    stream_copy_to_stream($in, $out);
  } elseif ($gzip) {
    $deflate = deflate_init(ZLIB_ENCODING_GZIP, ['level' => 9]);
    while (!feof($in)) fwrite($out, deflate_add($deflate, (string)fread($in, FETCHLET_CHUNK), ZLIB_NO_FLUSH));
    fwrite($out, deflate_add($deflate, '', ZLIB_FINISH));
  } else {
    stream_filter_append($out, 'bzip2.compress', STREAM_FILTER_WRITE, ['blocks' => 9]);
    stream_copy_to_stream($in, $out);
  }
  fclose($out);
  fclose($in);
}

$config = fetchlet_config();
if ($config['folder'] === false || !is_dir($config['folder'])) {
  fetchlet_reply(200, 'Error: Fetchlet has no log folder configured');
}
if (($_SERVER['REQUEST_METHOD'] ?? 'GET') !== 'GET') fetchlet_reply(405, 'Error: only GET');
if (!fetchlet_authorised($config)) {
  fetchlet_reply(401, 'Error: authorization required', ['WWW-Authenticate: Basic realm="Fetchlet"']);
}
$parts = explode('&', $_SERVER['QUERY_STRING'] ?? '');
$address = $_SERVER['REMOTE_ADDR'] ?? '';
if ($parts[0] === 'dir' && count($parts) >= 4) {
  fetchlet_list($config, $parts, $address);
} elseif ($parts[0] === 'get' && count($parts) >= 3) {
  fetchlet_get($config, $parts, $address);
} else {
  fetchlet_reply(400, 'Error: not a Fetchlet request');
}
