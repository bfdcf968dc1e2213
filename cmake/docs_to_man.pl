#!/usr/bin/env perl
# Turns a page of the manual (docs/NAME.md) into a help2man include file
# that appends it to a manual page's DESCRIPTION, so that a subcommand's
# text is written once. Knows the Markdown the manual uses: headings,
# paragraphs, lists, code blocks, tables, inline code, emphasis and links.
# A line "<!-- man: OTHER.md -->" brings OTHER.md (of the same folder) in
# at that point.
#   docs_to_man.pl PAGE.md > PAGE.h2m
use strict;
use warnings;
use utf8;
use File::Basename qw(dirname);

binmode STDOUT, ':encoding(UTF-8)';

my @out = ('[>DESCRIPTION]');

# Roff text: backslashes escaped, every character beyond ASCII named by its
# code point, and a line that would start with a request made plain text.
sub roff_escape {
  my ($s) = @_;
  $s =~ s/\\/\\e/g;
  $s =~ s/([^\x00-\x7F])/sprintf('\\[u%04X]', ord $1)/ge;
  return $s;
}

sub protect_line_start {
  my ($s) = @_;
  # A leading dot or quote would be read as a request, a leading bracket or
  # slash by help2man as the start of a section, and a line that opens with
  # "Exit status:" as the help's own footer.
  $s = "\\&$s" if $s =~ m{^[.'\[/]} || $s =~ /^Exit status:/;
  return $s;
}

# Inline Markdown of one line of text.
sub inline {
  my ($s) = @_;
  my @parts = split /(`[^`]*`)/, $s;
  for my $p (@parts) {
    if ($p =~ /^`(.*)`$/s) {
      my $code = roff_escape($1);
      $code =~ s/-/\\-/g;
      $p = "\\fB$code\\fR";
    } else {
      $p =~ s/!\[([^\]]*)\]\([^)]*\)/Picture: $1./g;    # an image its text
      $p =~ s/\[([^\]]*)\]\([^)]*\)/$1/g;    # a link shows its text
      $p = roff_escape($p);
      $p =~ s/\*\*([^*]+)\*\*/\\fB$1\\fR/g;
    }
  }
  my $s2 = join '', @parts;
  # Links whose text is inline code: the brackets are left around it.
  $s2 =~ s/\[(\\fB.*?\\fR)\]\([^)]*\)/$1/g;
  return $s2;
}

sub cells {
  my ($row) = @_;
  $row =~ s/^\s*\|//;
  $row =~ s/\|\s*$//;
  # A pipe inside inline code belongs to the cell.
  my @cells;
  my $cur = '';
  my $in_code = 0;
  for my $ch (split //, $row) {
    $in_code = !$in_code if $ch eq '`';
    if ($ch eq '|' && !$in_code) {
      push @cells, $cur;
      $cur = '';
    } else {
      $cur .= $ch;
    }
  }
  push @cells, $cur;
  s/^\s+|\s+$//g for @cells;
  return @cells;
}

# A table becomes one tagged paragraph per row: the first cell as the tag;
# the second as the text, or, with more columns, each further cell after
# its column's name.
sub table {
  my ($rows) = @_;
  my @head = cells($rows->[0]);
  for my $row (@$rows[2 .. $#$rows]) {
    my @c = cells($row);
    push @out, '.TP', protect_line_start(inline($c[0]));
    my @text;
    if (@head == 2) {
      push @text, inline($c[1] // '');
    } else {
      for my $i (1 .. $#head) {
        next unless defined $c[$i] && length $c[$i];
        push @text, inline("$head[$i]: $c[$i]");
      }
    }
    push @out, protect_line_start(join '; ', @text);
  }
}

sub code_block {
  my ($lines) = @_;
  push @out, '.PP', '.RS 4', '.nf';
  for my $l (@$lines) {
    my $t = roff_escape($l);
    $t =~ s/-/\\-/g;
    push @out, "\\&$t";
  }
  push @out, '.fi', '.RE';
}

sub page {
  my ($file) = @_;
  open my $fh, '<:encoding(UTF-8)', $file or die "docs_to_man.pl: $file: $!\n";
  my @lines = <$fh>;
  close $fh;
  chomp @lines;
  my $i = 0;
  while ($i < @lines) {
    my $l = $lines[$i];
    if ($l =~ /^<!--\s*man:\s*(\S+)\s*-->$/) {
      page(dirname($file) . "/$1");
      ++$i;
    } elsif ($l =~ /^\s*$/ || $l =~ /^<!--.*-->$/ || $l =~ /^# /) {
      ++$i;    # the page's title is the manual page's own name
    } elsif ($l =~ /^#{2,}\s+(.*)$/) {
      push @out, '.SS "' . inline($1) . '"';
      ++$i;
    } elsif ($l =~ /^```/) {
      my @code;
      ++$i;
      push @code, $lines[$i++] while $i < @lines && $lines[$i] !~ /^```/;
      ++$i;
      code_block(\@code);
    } elsif ($l =~ /^    /) {
      my @code;
      while ($i < @lines && ($lines[$i] =~ /^    / || $lines[$i] =~ /^\s*$/ &&
                             $i + 1 < @lines && $lines[$i + 1] =~ /^    /)) {
        push @code, substr($lines[$i++], 4);
      }
      code_block(\@code);
    } elsif ($l =~ /^\|/) {
      my @rows;
      push @rows, $lines[$i++] while $i < @lines && $lines[$i] =~ /^\|/;
      table(\@rows);
    } elsif ($l =~ /^- (.*)$/) {
      my @item = ($1);
      ++$i;
      while ($i < @lines && $lines[$i] =~ /^  \S/) {
        (my $t = $lines[$i++]) =~ s/^\s+//;
        push @item, $t;
      }
      push @out, '.IP \(bu 2', map { protect_line_start(inline($_)) } @item;
    } else {
      my @para;
      while ($i < @lines && $lines[$i] !~ /^\s*$/ && $lines[$i] !~ /^(#|```|\||- |    |<!--)/) {
        push @para, $lines[$i++];
      }
      push @out, '.PP', map { protect_line_start(inline($_)) } @para;
    }
  }
}

die "usage: docs_to_man.pl PAGE.md\n" unless @ARGV == 1;
page($ARGV[0]);
print join("\n", @out), "\n";
