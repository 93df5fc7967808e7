#!/usr/bin/perl
# The formatted phone-list sheet written with Spreadsheet::WriteExcel, for
# comparison: the same title, stamp, header row, bordered and alternately
# filled rows, column widths, row heights and landscape A4 page.
#
#   writeexcel_phone_list.pl LIST.csv OUT.xls
use strict;
use warnings;
use Spreadsheet::WriteExcel;

my ($src, $out) = @ARGV;
my @widths = (2, 10.43, 10, 13, 24.71, 13.43, 12.43, 12.43, 18.43);
my $font = 'Century Gothic';

# RFC 4180 fields: quoted fields may hold commas and doubled quotes.
sub parse_line {
    my ($line) = @_;
    my @f;
    while ($line =~ /\G(?:"((?:[^"]|"")*)"|([^,]*))(,|$)/g) {
        my $v = defined $1 ? $1 : $2;
        $v =~ s/""/"/g if defined $1;
        push @f, $v;
        last if $3 eq '';
    }
    return @f;
}

sub lines_needed {
    my $n = 1;
    for my $i (0 .. $#_) {
        my $per = int($widths[$i + 1] * 1.1) || 1;
        my $l = int((length($_[$i]) + $per - 1) / $per);
        $n = $l if $l > $n;
    }
    return $n;
}

open(my $in, '<:encoding(UTF-8)', $src) or die "$src: $!";
my $first = <$in>;
my $book = Spreadsheet::WriteExcel->new($out) or die "$out: $!";
my $sheet = $book->add_worksheet('Phone List');
my %white = (pattern => 1, fg_color => 'white');
my $title = $book->add_format(font => $font, size => 20, color => 'navy', %white);
my $stamp = $book->add_format(font => $font, size => 10, color => 'navy', %white);
my $date = $book->add_format(font => $font, size => 10, bottom => 1, %white);
my $header = $book->add_format(font => $font, size => 8, bold => 1, color => 'white', pattern => 1,
                               fg_color => 'navy', border => 1, border_color => 'white', text_wrap => 1);
my @body = map {
    $book->add_format(font => $font, size => 10, pattern => 1, fg_color => $_, text_wrap => 1,
                      border => 1, border_color => 'silver')
} ('white', 'yellow');

$sheet->set_column($_, $_, $widths[$_]) for 0 .. $#widths;
my @heights = (11.25, 34.5, 5.25, 13.5);
$sheet->set_row($_, $heights[$_]) for 0 .. $#heights;
$sheet->write_string(1, 1, "Our Organization's Telephone List", $title);
$sheet->write_string(1, 7, 'Last Updated', $stamp);
$sheet->write_string(1, 8, '12/8/2026 9:00 AM', $date);
my @names = ('Last Name', 'First Name', 'Spouse/Kids', 'Address', 'Home Number', 'Work Number', 'Cell Number',
             'E-mail');
$sheet->write_string(3, $_ + 1, $names[$_], $header) for 0 .. $#names;
my $i = 0;
while (my $line = <$in>) {
    chomp $line;
    my @fields = parse_line($line);
    ++$i;
    my $r = 3 + $i;
    my $style = $body[$i % 2 == 0 ? 1 : 0];
    $sheet->write_string($r, $_ + 1, $fields[$_] // '', $style) for 0 .. 7;
    $sheet->set_row($r, 13.5 * lines_needed(@fields));
}
$sheet->set_landscape();
$sheet->set_paper(9);
$sheet->fit_to_pages(1, 1);
$sheet->set_margin_left(0.7);
$sheet->set_margin_right(0.7);
$sheet->set_margin_top(0.5);
$sheet->set_margin_bottom(0.5);
$book->close() or die "$out: $!";
